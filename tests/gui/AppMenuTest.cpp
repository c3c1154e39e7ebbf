#include "AppTestFixture.h"
#include "app/MenuCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <map>

namespace vistrel::test {
namespace {

using AppMenuTest = AppTestFixture;

QStringList menuBarTitles(const QMenuBar* bar) {
    QStringList titles;
    for (const QAction* menu : bar->actions())
        titles.append(menu->text());
    return titles;
}

bool inMenuBar(const QAction* action, const QMenuBar* bar) {
    for (const QObject* owner : action->associatedObjects())
        if (const auto* menu = qobject_cast<const QMenu*>(owner))
            if (bar->actions().contains(menu->menuAction()))
                return true;
    return false;
}

TEST_F(AppMenuTest, EveryCommandIsInItsMenuAndOnTheWindowWithItsKeys) {
    start();
    EXPECT_EQ(menuBarTitles(window().menuBar()), (QStringList{"Vistrel", "File", "Edit", "View", "Movie", "Play", "Window", "Help"}));
    for (const MenuCommand& command : menuCommands()) {
        SCOPED_TRACE(command.name);
        const QAction* a = action(command.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(command.title));
        EXPECT_FALSE(command.shortcuts().isEmpty());
        EXPECT_EQ(a->shortcuts(), command.shortcuts());
        EXPECT_EQ(a->shortcutContext(), command.worksFromEveryWindow() ? Qt::ApplicationShortcut : Qt::WindowShortcut);
        EXPECT_TRUE(window().actions().contains(a)) << "works while the menu bar is hidden";
        EXPECT_TRUE(inMenuBar(a, window().menuBar()));
    }
}

TEST_F(AppMenuTest, NoKeyRunsTwoCommands) {
    std::map<QString, const char*> owner;
    for (const MenuCommand& command : menuCommands())
        for (const QKeySequence& key : command.shortcuts()) {
            ASSERT_FALSE(key.isEmpty()) << command.name << " has a key Qt cannot read";
            const auto [it, added] = owner.emplace(key.toString(), command.name);
            EXPECT_TRUE(added) << key.toString().toStdString() << ": " << it->second << " and "
                               << command.name;
        }
}

TEST_F(AppMenuTest, SlideShowKeyChecksAndUnchecksItsMenuItem) {
    start();
    QAction* loop = action("setLoopMode");
    ASSERT_TRUE(loop->isCheckable());
    QTest::keyClick(&window(), Qt::Key_L);
    EXPECT_TRUE(controller().loopModus());
    EXPECT_TRUE(loop->isChecked());
    QTest::keyClick(&window(), Qt::Key_L);
    EXPECT_FALSE(controller().loopModus());
    EXPECT_FALSE(loop->isChecked());

    // Stopped by another command, the mark still follows the slide show.
    QTest::keyClick(&window(), Qt::Key_L);
    ASSERT_TRUE(loop->isChecked());
    QTest::keyClick(&window(), Qt::Key_L, Qt::ShiftModifier);
    EXPECT_FALSE(controller().loopModus());
    EXPECT_FALSE(loop->isChecked());
}

TEST_F(AppMenuTest, OpenRunsThePanelWithPictureAndMovieTypesAndTakesTheChoice) {
    const auto chosen = pictureFiles(2);
    panels->chosen = chosen;
    start();
    QTest::keyClick(&window(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(panels->openPanelRuns, 1);
    std::vector<std::string> offered = controller().cgiTypes();
    offered.insert(offered.end(), controller().qtTypes().begin(), controller().qtTypes().end());
    offered.insert(offered.end(), {"vistrelplaylist", "m3u8", "m3u"}); // play lists bring their entries
    EXPECT_EQ(panels->offered, offered);
    EXPECT_EQ(listPaths(), chosen);
}

QStringList recentTitles(const QMenu* menu) {
    QStringList titles;
    for (const QAction* item : menu->actions())
        titles.append(item->isSeparator() ? QStringLiteral("--") : item->text());
    return titles;
}

TEST_F(AppMenuTest, OpenRecentListsShownItemsNewestFirstAndReopensThem) {
    const auto paths = pictureFiles(2);
    start(paths);
    QTest::keyClick(&window(), Qt::Key_Right);
    settle();
    const QMenu* recent = app->menu().openRecentMenu();
    ASSERT_EQ(recentTitles(recent), (QStringList{"1.png", "0.png", "--", "Clear Menu"}));

    recent->actions().at(1)->trigger(); // 0.png, re-opened as a new entry
    settle();
    EXPECT_EQ(listPaths(), (std::vector<std::string>{paths[0], paths[1], paths[0]}));
    EXPECT_EQ(controller().lActualIndex(), 2);
    EXPECT_EQ(recentTitles(recent), (QStringList{"0.png", "1.png", "--", "Clear Menu"}));

    recent->actions().last()->trigger();
    EXPECT_EQ(recentTitles(recent), (QStringList{"--", "Clear Menu"}));
    EXPECT_FALSE(recent->actions().last()->isEnabled());
    EXPECT_TRUE(controller().recentDocuments().recentDocumentPaths().empty());
}

// The README's list of shortcuts is generated from the command table, between two
// marker lines; VISTREL_WRITE_SHORTCUTS=1 rewrites it.
TEST(ShortcutPageTest, ReadmeListsTheCommandTable) {
    const QString readmePath =
        QStringLiteral(VISTREL_SOURCE_DIR "/README.md");
    QFile readme(readmePath);
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly)) << readmePath.toStdString();
    QString text = QString::fromUtf8(readme.readAll());
    readme.close();
    const QString begin = QStringLiteral("<!-- shortcuts -->\n");
    const QString end = QStringLiteral("<!-- /shortcuts -->");
    const qsizetype from = text.indexOf(begin);
    const qsizetype to = text.indexOf(end);
    ASSERT_TRUE(from >= 0 && to > from) << "the README lacks the shortcut markers";
    const qsizetype tableStart = from + begin.size();
    if (qEnvironmentVariableIntValue("VISTREL_WRITE_SHORTCUTS") == 1) {
        text.replace(tableStart, to - tableStart, shortcutListMarkdown());
        ASSERT_TRUE(readme.open(QIODevice::WriteOnly | QIODevice::Truncate));
        readme.write(text.toUtf8());
        return;
    }
    EXPECT_EQ(text.mid(tableStart, to - tableStart).toStdString(), shortcutListMarkdown().toStdString());
}

} // namespace
} // namespace vistrel::test
