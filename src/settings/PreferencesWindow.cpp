#include "settings/PreferencesWindow.h"

#include "media/support/LogCategories.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <functional>

namespace vistrel {


namespace {

// The spin boxes take any sensible value; the sliders cover the everyday range.
const SliderSpinBox::Range opacityRange{0.0, 1.0, 0.0, 1.0, 0.05, 2, {}};
const SliderSpinBox::Range scaleRange{0.01, 100.0, 0.1, 5.0, 0.1, 2, {}};
const SliderSpinBox::Range offsetRange{-10000.0, 10000.0, -100.0, 100.0, 1.0, 1, QStringLiteral(" %")};
const SliderSpinBox::Range qualityRange{0.0, 1.0, 0.0, 1.0, 0.05, 2, {}};
// This window never fades out completely: it could not be found again.
const SliderSpinBox::Range ownOpacityRange{0.2, 1.0, 0.2, 1.0, 0.05, 2, {}};

// A bold heading over the rows of one topic; one form for all topics keeps the
// controls aligned.
void addSection(QFormLayout* form, const QString& title) {
    auto* heading = new QLabel(title);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    if (form->rowCount() > 0)
        heading->setContentsMargins(0, 10, 0, 0);
    form->addRow(heading);
}

QLabel* hint(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setEnabled(false); // drawn in the muted colour
    return label;
}

} // namespace

PreferencesWindow::PreferencesWindow(Preferences& prefs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prefs(prefs) {
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(tr("Settings"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addMainWindowRows(form);
    addPlacementRows(form);
    addSlideShowAndFramesRows(form);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addSpacing(8);
    layout->addWidget(buildButtons());

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { m_prefs.Cancel(nullptr); });

    m_changes = m_prefs.changed.connect([this](PreferenceKey key) { showValue(key); });
    // hide(), not close(): closing is what the close box does, and it stores.
    m_closes = m_prefs.closeWindow.connect([this] { hide(); });
    showAllValues();
}

PreferencesWindow::~PreferencesWindow() = default;

void PreferencesWindow::showBuiltOnce(std::unique_ptr<PreferencesWindow>& window, Preferences* prefs) {
    if (!prefs) {
        qCWarning(lcSettings) << "settings window asked for before the settings exist";
        return;
    }
    if (!window) {
        prefs->windowWillLoad();
        window = std::make_unique<PreferencesWindow>(*prefs);
        prefs->windowDidLoad();
    } else {
        window->showAllValues();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void PreferencesWindow::addMainWindowRows(QFormLayout* form) {
    addSection(form, tr("Main window"));
    m_transparency = addPair("transparency", opacityRange, &Preferences::setTransparency);
    form->addRow(tr("Opacity:"), m_transparency);
    m_deskMovie = new QCheckBox(tr("Stay behind all other windows (desktop level)"));
    m_deskMovie->setObjectName(QStringLiteral("deskMovie"));
    connect(m_deskMovie, &QCheckBox::toggled, this,
            [this](bool on) { editFrom(m_deskMovie, [&] { m_prefs.setDeskMovie(on); }); });
    form->addRow(QString(), m_deskMovie);
}

void PreferencesWindow::addPlacementRows(QFormLayout* form) {
    addSection(form, tr("Size and placement of the item"));
    m_scaleX = addPair("scaleX", scaleRange, &Preferences::setScaleX);
    form->addRow(tr("Scale:"), m_scaleX);
    m_scaleY = addPair("scaleY", scaleRange, &Preferences::setScaleY);
    form->addRow(tr("Vertical stretch:"), m_scaleY);
    m_posX = addPair("posX", offsetRange, &Preferences::setPosX);
    form->addRow(tr("Horizontal offset:"), m_posX);
    m_posY = addPair("posY", offsetRange, &Preferences::setPosY);
    form->addRow(tr("Vertical offset:"), m_posY);
    form->addRow(QString(),
                 hint(tr("1 fits the item to the screen. An offset of 100 % moves the item just off "
                         "the right (or top) edge of the screen.")));
}

void PreferencesWindow::addSlideShowAndFramesRows(QFormLayout* form) {
    addSection(form, tr("Slide show and frames"));
    m_sleep = new QDoubleSpinBox;
    m_sleep->setObjectName(QStringLiteral("sleep"));
    m_sleep->setRange(0.1, 86400.0);
    m_sleep->setDecimals(1);
    m_sleep->setSingleStep(0.5);
    m_sleep->setSuffix(tr(" s"));
    m_sleep->setAlignment(Qt::AlignRight);
    connect(m_sleep, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
        editFrom(m_sleep, [&] { m_prefs.setSleep(static_cast<float>(seconds)); });
    });
    form->addRow(tr("Slide show interval:"), m_sleep);

    m_imageCompression = addPair("imageCompression", qualityRange, &Preferences::setImageCompression);
    form->addRow(tr("JPEG quality:"), m_imageCompression);
    form->addRow(QString(), hint(tr("Saved frames: 0 gives the smallest files, 1 the best pictures.")));

    m_pathField = new QLineEdit;
    m_pathField->setObjectName(QStringLiteral("pathField"));
    m_pathField->setReadOnly(true);
    m_pathField->setPlaceholderText(tr("No folder chosen"));
    auto* choose = new QPushButton(tr("Choose…"));
    choose->setObjectName(QStringLiteral("SetImagePath"));
    connect(choose, &QPushButton::clicked, this, [this] { m_prefs.SetImagePath(nullptr); });
    auto* folderRow = new QWidget;
    auto* folderLayout = new QHBoxLayout(folderRow);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    folderLayout->addWidget(m_pathField, 1);
    folderLayout->addWidget(choose);
    form->addRow(tr("Frame folder:"), folderRow);

    m_prefTrans = addPair("prefTrans", ownOpacityRange, &Preferences::setPrefTrans);
    form->addRow(tr("Opacity of this window:"), m_prefTrans);
}

QWidget* PreferencesWindow::buildButtons() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto addButton = [&](const char* name, const QString& title, void (Preferences::*action)(Sender*)) {
        auto* button = new QPushButton(title);
        button->setObjectName(QString::fromLatin1(name));
        // std::invoke rather than `.*`: GCC 12's type checks (-fsanitize=vptr) read an
        // uninitialised temporary for `this` when a lambda calls a member function
        // pointer on a reference member, and stop the program there.
        connect(button, &QPushButton::clicked, this, [this, action] { std::invoke(action, m_prefs, nullptr); });
        layout->addWidget(button);
        return button;
    };
    addButton("Reset", tr("Reset"), &Preferences::Reset)
        ->setToolTip(tr("Factory values, applied but not stored"));
    layout->addStretch(1);
    addButton("Cancel", tr("Cancel"), &Preferences::Cancel);
    QPushButton* ok = addButton("Ok", tr("OK"), &Preferences::Ok);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    return row;
}

SliderSpinBox* PreferencesWindow::addPair(const char* name, const SliderSpinBox::Range& range,
                                          void (Preferences::*setter)(float)) {
    auto* pair = new SliderSpinBox(range);
    pair->setObjectName(QString::fromLatin1(name));
    connect(pair, &SliderSpinBox::valueEdited, this, [this, pair, setter](double value) {
        // std::invoke for the reason given in buildButtons.
        editFrom(pair, [&] { std::invoke(setter, m_prefs, static_cast<float>(value)); });
    });
    return pair;
}

template <class Apply> void PreferencesWindow::editFrom(QWidget* control, Apply apply) {
    QWidget* const outer = m_editing;
    m_editing = control;
    apply();
    m_editing = outer;
}

void PreferencesWindow::showAllValues() {
    for (PreferenceKey key :
         {PreferenceKey::transparency, PreferenceKey::scaleX, PreferenceKey::scaleY, PreferenceKey::posX,
          PreferenceKey::posY, PreferenceKey::deskMovie, PreferenceKey::sleep,
          PreferenceKey::imageCompression, PreferenceKey::prefTrans, PreferenceKey::imagePath})
        showValue(key);
}

void PreferencesWindow::showIn(SliderSpinBox* control, float value) {
    if (control != m_editing)
        control->showValue(static_cast<double>(value));
}

void PreferencesWindow::showValue(PreferenceKey key) {
    switch (key) {
    case PreferenceKey::transparency:
        return showIn(m_transparency, m_prefs.transparency());
    case PreferenceKey::scaleX:
        return showIn(m_scaleX, m_prefs.scaleX());
    case PreferenceKey::scaleY:
        return showIn(m_scaleY, m_prefs.scaleY());
    case PreferenceKey::posX:
        return showIn(m_posX, m_prefs.posX());
    case PreferenceKey::posY:
        return showIn(m_posY, m_prefs.posY());
    case PreferenceKey::imageCompression:
        return showIn(m_imageCompression, m_prefs.imageCompression());
    case PreferenceKey::prefTrans:
        setWindowOpacity(static_cast<double>(m_prefs.prefTrans()));
        return showIn(m_prefTrans, m_prefs.prefTrans());
    case PreferenceKey::deskMovie:
        if (m_deskMovie != m_editing) {
            const QSignalBlocker quiet(m_deskMovie);
            m_deskMovie->setChecked(m_prefs.deskMovie());
        }
        return;
    case PreferenceKey::sleep:
        if (m_sleep != m_editing) {
            const QSignalBlocker quiet(m_sleep);
            m_sleep->setValue(static_cast<double>(m_prefs.sleep()));
        }
        return;
    case PreferenceKey::imagePath:
        m_pathField->setText(QString::fromStdString(m_prefs.pathField()));
        return;
    }
}

// The mouse and the View menu change scale and placement without telling this window;
// coming back to it shows them as they are now.
void PreferencesWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        showAllValues();
}

// The close box keeps what the window shows, like OK.
void PreferencesWindow::closeEvent(QCloseEvent* event) {
    if (m_prefs.windowShouldClose())
        event->accept();
    else
        event->ignore();
}

} // namespace vistrel
