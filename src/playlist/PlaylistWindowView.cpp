#include "playlist/PlaylistWindowView.h"

#include "playlist/PlayMover.h"
#include "playlist/PlaylistTableModel.h"
#include "playlist/PlaylistTableView.h"
#include "core/playlist/PlaylistWindow.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <set>

namespace vistrel {

namespace {

constexpr QSize initialSize{760, 560};
constexpr int rowPadding = 6;

struct Command {
    const char* name;
    const char* title;
    void (PlaylistWindow::*action)(Sender*);
};

const Command commands[] = {
    {"play", "Play", &PlaylistWindow::play},
    {"loop", "Slide Show", &PlaylistWindow::loop},
    {"stopLoop", "Stop Slide Show", &PlaylistWindow::stopLoop},
    {"insert", "Add\u2026", &PlaylistWindow::insert},
    {"remove", "Remove", &PlaylistWindow::remove},
    {"showInfo", "Info", &PlaylistWindow::showInfo},
    {"saveList", "Save\u2026", &PlaylistWindow::saveList},
    {"openList", "Open\u2026", &PlaylistWindow::openList},
};

} // namespace

PlaylistWindowView::PlaylistWindowView(PlaylistWindow& window, QWidget* parent)
    : QWidget(parent, Qt::Window), m_window(window) {
    setObjectName(QStringLiteral("playlist"));
    setWindowTitle(QStringLiteral("Play List"));
    // Only the main window ends the application when it closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(initialSize);

    m_panes = new QWidget(this);
    m_panes->installEventFilter(this);
    buildTable();
    m_playMover = new PlayMover(m_panes);
    m_text = new QPlainTextEdit(m_panes);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_playMover->setPanes(m_table, m_text);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panes, 1);
    layout->addWidget(buildButtons());
    setFocusProxy(m_table);
    m_table->setFocus();

    m_window.windowDidLoad(this);
}

PlaylistWindowView::~PlaylistWindowView() {
    m_window.windowDidLoad(nullptr);
}

// Whole rows, fixed heights and no widgets per row: a list of 100,000 entries
// scrolls as smoothly as one of ten.
void PlaylistWindowView::buildTable() {
    m_table = new PlaylistTableView(m_panes);
    m_table->setObjectName(QStringLiteral("table"));
    m_model = new PlaylistTableModel(m_window, m_table);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);

    QHeaderView* rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + rowPadding);

    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setStretchLastSection(true);
    header->resizeSection(PlaylistTableModel::markColumn, 28);
    header->resizeSection(PlaylistTableModel::nameColumn, 240);
    header->resizeSection(PlaylistTableModel::typeColumn, 60);
    connect(header, &QHeaderView::sortIndicatorChanged, m_model, &PlaylistTableModel::sort);
    connect(m_model, &PlaylistTableModel::sortOrderChanged, this, &PlaylistWindowView::followSortOrder);

    // Rows leave as plain text and come back through the model's drop; other
    // programs may take the path, or drop text of their own.
    m_table->setDragEnabled(true);
    m_table->setAcceptDrops(true);
    m_table->setDropIndicatorShown(true);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDefaultDropAction(Qt::MoveAction);
    m_table->setDragDropOverwriteMode(false);

    connect(m_table, &QTableView::clicked, this, [this](const QModelIndex& index) {
        m_window.klick(static_cast<std::size_t>(index.row()));
    });
    connect(m_table, &QTableView::doubleClicked, this, [this] { m_window.doubleClick(); });

    // The selection stays written while rows come, go, move and are sorted under it.
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PlaylistWindowView::writeSelection);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &PlaylistWindowView::writeSelection);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &PlaylistWindowView::writeSelection);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &PlaylistWindowView::writeSelection);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &PlaylistWindowView::writeSelection);
    connect(m_model, &QAbstractItemModel::modelReset, this, &PlaylistWindowView::writeSelection);
}

QWidget* PlaylistWindowView::buildButtons() {
    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    for (const Command& command : commands) {
        auto* button = new QPushButton(QString::fromUtf8(command.title), buttons);
        button->setObjectName(QString::fromUtf8(command.name));
        // A click leaves the keyboard with the table.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this,
                [this, action = command.action] { std::invoke(action, m_window, nullptr); });
        row->addWidget(button);
    }
    row->addStretch(1);
    return buttons;
}

void PlaylistWindowView::writeSelection() {
    std::set<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows != m_window.store().selIndex())
        m_window.store().setSelIndex(std::move(rows));
}

// The header shows the store's sort order; after a drag there is none.
void PlaylistWindowView::followSortOrder(int column, Qt::SortOrder order) {
    QHeaderView* header = m_table->horizontalHeader();
    const QSignalBlocker quiet(header);
    header->setSortIndicator(column, order);
    header->viewport()->update();
}

// ---------------------------------------------------------------- surface

void PlaylistWindowView::selectRow(std::size_t row) {
    const QModelIndex index = m_model->index(static_cast<int>(row), 0);
    if (index.isValid())
        m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
}

void PlaylistWindowView::scrollRowToVisible(std::size_t row) {
    const QModelIndex index = m_model->index(static_cast<int>(row), 0);
    if (index.isValid())
        m_table->scrollTo(index);
}

void PlaylistWindowView::setInfoText(const std::string& text) {
    m_text->setPlainText(QString::fromStdString(text));
}

void PlaylistWindowView::setAlphaValue(float alpha) {
    setWindowOpacity(alpha);
}

// ---------------------------------------------------------------- events

bool PlaylistWindowView::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        m_window.windowDidBecomeKey();
    return QWidget::event(event);
}

// Keys the table leaves alone end here: Return plays the selection, the rest is dropped.
void PlaylistWindowView::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    m_window.keyDown(isReturn ? PlaylistWindow::Key::returnKey : PlaylistWindow::Key::other);
    event->accept();
}

bool PlaylistWindowView::eventFilter(QObject* watched, QEvent* event) {
    // The panes' area, not the window, is what the handle divides.
    if (watched == m_panes && event->type() == QEvent::Resize)
        m_playMover->windowDidResize();
    return QWidget::eventFilter(watched, event);
}

} // namespace vistrel
