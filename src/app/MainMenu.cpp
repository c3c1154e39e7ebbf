#include "app/MainMenu.h"

#include "app/ActionSender.h"
#include "app/KeyWindow.h"
#include "app/MenuCommands.h"
#include "core/controller/VistrelController.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace vistrel {

MainMenu::MainMenu(KeyWindow& window, VistrelController& controller)
    : m_window(window), m_controller(controller) {
    for (const MenuCommand& command : menuCommands()) {
        addCommand(command);
        if (QString::fromUtf8(command.name) == QLatin1String("open")) {
            m_openRecent = menuFor(static_cast<int>(MenuId::File))->addMenu(tr("Open Recent"));
            m_openRecent->setObjectName(QStringLiteral("openRecent"));
            m_openRecent->setToolTipsVisible(true);
        }
    }
    rebuildOpenRecent();
    m_recentChanged = m_controller.recentDocuments().changed.connect([this] { rebuildOpenRecent(); });
    // The check mark follows the slide show however it was switched (Stop Slide Show, the play list window).
    m_loopModusChanged = m_controller.loopModusChanged.connect([this](bool on) {
        if (QAction* slideShow = action(QStringLiteral("setLoopMode")))
            slideShow->setChecked(on);
    });
}

QAction* MainMenu::action(const QString& name) const {
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* MainMenu::menuFor(int menu) {
    QMenu*& entry = m_menus[menu];
    if (!entry)
        entry = m_window.menuBar()->addMenu(menuTitle(static_cast<MenuId>(menu)));
    return entry;
}

QAction* MainMenu::addCommand(const MenuCommand& command) {
    QMenu* menu = menuFor(static_cast<int>(command.menu));
    if (command.separatorBefore)
        menu->addSeparator();
    auto* action = new QAction(QString::fromUtf8(command.title), this);
    action->setObjectName(QString::fromUtf8(command.name));
    action->setShortcuts(command.shortcuts());
    action->setShortcutContext(command.worksFromEveryWindow() ? Qt::ApplicationShortcut : Qt::WindowShortcut);
    action->setCheckable(command.checkable);
    const auto perform = command.perform;
    connect(action, &QAction::triggered, this, [this, action, perform] {
        ActionSender sender(action);
        perform(m_controller, &sender);
    });
    menu->addAction(action);
    m_window.addAction(action);
    m_actions.emplace(action->objectName(), action);
    return action;
}

// Runs from inside an item's own trigger (showing it adds it to the list again), so
// old items are only deleted once control is back in the event loop.
void MainMenu::rebuildOpenRecent() {
    for (QAction* old : m_openRecent->actions()) {
        m_openRecent->removeAction(old);
        old->deleteLater();
    }
    const std::vector<std::string> paths = m_controller.recentDocuments().recentDocumentPaths();
    for (const std::string& path : paths) {
        const QString qPath = QString::fromStdString(path);
        QString title = QFileInfo(qPath).fileName();
        if (title.isEmpty())
            title = qPath;
        auto* item = new QAction(title.replace(QLatin1Char('&'), QStringLiteral("&&")), this);
        item->setToolTip(qPath);
        connect(item, &QAction::triggered, this, [this, path] { m_controller.applicationOpenFiles({path}); });
        m_openRecent->addAction(item);
    }
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_openRecent->addAction(separator);
    auto* clear = new QAction(tr("Clear Menu"), this);
    m_openRecent->addAction(clear);
    clear->setObjectName(QStringLiteral("clearRecent"));
    clear->setEnabled(!paths.empty());
    connect(clear, &QAction::triggered, this, [this] { m_controller.recentDocuments().clear(); });
}

} // namespace vistrel
