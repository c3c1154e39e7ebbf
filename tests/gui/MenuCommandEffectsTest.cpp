#include "AppTestFixture.h"
#include "app/AppWindows.h"
#include "app/MenuCommands.h"
#include "app/SeriesPanel.h"
#include "display/CInfoView.h"
#include "display/VistrelView.h"
#include "playlist/PlaylistWindowView.h"
#include "settings/PreferencesWindow.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <set>

namespace vistrel::test {
namespace {

class MenuCommandEffects;

// One item of the menu bar, found by its menu's title and its own, and what choosing
// it must visibly do. `prepare` sets up the state the effect is measured from.
struct MenuRow {
    const char* menu;
    const char* item;
    std::function<void(MenuCommandEffects&)> check;
    std::function<void(MenuCommandEffects&)> prepare = [](MenuCommandEffects&) {};
};

std::ostream& operator<<(std::ostream& out, const MenuRow& row) {
    return out << row.menu << " > " << row.item;
}

QAction* menuBarItem(const QMenuBar* bar, const QString& menuTitle, const QString& itemTitle) {
    for (const QAction* menuAction : bar->actions()) {
        if (menuAction->text() != menuTitle || menuAction->menu() == nullptr)
            continue;
        for (QAction* item : menuAction->menu()->actions())
            if (item->text() == itemTitle)
                return item;
    }
    return nullptr;
}

template <class Widget> Widget* visibleWidget() {
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* found = qobject_cast<Widget*>(widget); found != nullptr && found->isVisible())
            return found;
    return nullptr;
}

// Swallows the request to quit, so that choosing Quit can be seen without ending the run.
class QuitCatcher : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Quit)
            return false;
        ++requests;
        return true;
    }
    int requests = 0;
};

// A list of a picture, a movie halfway through and another picture; the movie is on
// screen, playing, with a frame to capture.
class MenuCommandEffects : public AppTestFixture, public ::testing::WithParamInterface<MenuRow> {
  protected:
    void SetUp() override {
        FakeMovie film;
        film.name = "film";
        film.durationValue = {100000, 1000};
        film.current = {50000, 1000};
        film.frameSize = Size{64.0f, 48.0f};
        movies->openable["/movies/film.mov"] = film;
        pictures->decodable["/pictures/0.png"] = {{640.0f, 480.0f}, {}};
        pictures->decodable["/pictures/2.png"] = {{640.0f, 480.0f}, {}};
        opener->resources["VistrelHelp.pdf"] = "/help/VistrelHelp.pdf";
        settings->strings["ImagePath"] = frames.path().toStdString();
        start({"/pictures/0.png", "/movies/film.mov", "/pictures/2.png"});
        controller().playNext();
        settle();
        ASSERT_NE(movies->lastMovie, nullptr);
        qApp->installEventFilter(&quitCatcher);
    }
    void TearDown() override { qApp->removeEventFilter(&quitCatcher); }

  public:
    using AppTestFixture::app;
    using AppTestFixture::controller;
    using AppTestFixture::opener;
    using AppTestFixture::panels;
    using AppTestFixture::pasteboard;
    using AppTestFixture::window;

    FakeMovie& movie() { return *movies->lastMovie; }
    QString overlayText() {
        const auto* view = visibleWidget<CInfoView>();
        return view != nullptr ? view->string() : QString();
    }

    QTemporaryDir frames;
    QuitCatcher quitCatcher;
};

TEST_P(MenuCommandEffects, ChoosingTheItemHasItsEffect) {
    const MenuRow& row = GetParam();
    QAction* item = menuBarItem(window().menuBar(), QString::fromUtf8(row.menu), QString::fromUtf8(row.item));
    ASSERT_NE(item, nullptr);
    row.prepare(*this);
    // Chosen while the application's event loop runs, as a user chooses it: Quit, for
    // one, does nothing outside it.
    QTimer::singleShot(0, item, [item] {
        item->trigger();
        QCoreApplication::processEvents();
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    row.check(*this);
}

using M = MenuCommandEffects;

const MenuRow rows[] = {
    {"Vistrel", "Settings…", [](M&) { EXPECT_NE(visibleWidget<PreferencesWindow>(), nullptr); }},
    {"Vistrel", "Reset Settings", [](M& t) { EXPECT_EQ(t.controller().scaleX(), 1.0f); },
     [](M& t) {
         t.controller().preferences();
         t.controller().prefs()->setScaleX(3.0f);
     }},
    {"Vistrel", "Quit", [](M& t) { EXPECT_EQ(t.quitCatcher.requests, 1); }},
    {"File", "Open…", [](M& t) { EXPECT_EQ(t.panels->openPanelRuns, 1); }},
    {"File", "Open Play List…", [](M& t) { EXPECT_EQ(t.panels->openFilePanelRuns, 1); }},
    {"File", "Save Play List…", [](M& t) { EXPECT_EQ(t.panels->savePanelRuns, 1); }},
    {"File", "Save Frame",
     [](M& t) {
         EXPECT_EQ(t.movie().framesTaken, 1);
         EXPECT_TRUE(t.pasteboard->declared.empty());
     }},
    {"File", "Picture Series…", [](M&) { EXPECT_NE(visibleWidget<SeriesPanel>(), nullptr); }},
    {"File", "Close",
     [](M& t) {
         EXPECT_TRUE(t.window().isVisible());
         EXPECT_EQ(t.controller().lActualIndex(), 1);
     }},
    {"Edit", "Copy Frame",
     [](M& t) {
         EXPECT_EQ(t.movie().framesTaken, 1);
         EXPECT_FALSE(t.pasteboard->declared.empty()); // the data follows from a worker
     }},
    {"View", "Show Menu Bar", [](M& t) { EXPECT_TRUE(t.window().menuBarVisible()); },
     [](M& t) { t.window().setMenuBarVisible(false); }},
    {"View", "Show/Hide Menu Bar", [](M& t) { EXPECT_FALSE(t.window().menuBarVisible()); },
     [](M& t) { t.window().setMenuBarVisible(true); }},
    {"View", "Show/Hide Control Bar", [](M& t) { EXPECT_TRUE(t.app->view().isControllerVisible()); },
     [](M& t) { t.app->view().setControllerVisible(false); }},
    {"View", "Bigger", [](M& t) { EXPECT_FLOAT_EQ(t.controller().scaleX(), 1.1f); }},
    {"View", "Smaller", [](M& t) { EXPECT_FLOAT_EQ(t.controller().scaleX(), 0.9f); }},
    {"View", "Stretch Vertically", [](M& t) { EXPECT_FLOAT_EQ(t.controller().scaleY(), 1.1f); }},
    {"View", "Squeeze Vertically", [](M& t) { EXPECT_FLOAT_EQ(t.controller().scaleY(), 0.9f); }},
    {"View", "Move Right", [](M& t) { EXPECT_FLOAT_EQ(t.controller().posX(), 0.02f); }},
    {"View", "Move Left", [](M& t) { EXPECT_FLOAT_EQ(t.controller().posX(), -0.02f); }},
    {"View", "Move Up", [](M& t) { EXPECT_FLOAT_EQ(t.controller().posY(), 0.02f); }},
    {"View", "Move Down", [](M& t) { EXPECT_FLOAT_EQ(t.controller().posY(), -0.02f); }},
    {"Movie", "Pause/Continue", [](M& t) { EXPECT_FALSE(t.movie().playing); },
     [](M& t) { t.movie().playing = true; }},
    {"Movie", "Faster", [](M& t) { EXPECT_FLOAT_EQ(t.movie().rateValue, 1.1f); }},
    {"Movie", "Slower", [](M& t) { EXPECT_FLOAT_EQ(t.movie().rateValue, 0.9f); }},
    {"Movie", "Louder", [](M& t) { EXPECT_EQ(t.movie().volumeValue, 144); },
     [](M& t) { t.movie().volumeValue = 128; }},
    {"Movie", "Softer", [](M& t) { EXPECT_EQ(t.movie().volumeValue, 112); },
     [](M& t) { t.movie().volumeValue = 128; }},
    {"Movie", "Normal Rate and Volume",
     [](M& t) {
         EXPECT_EQ(t.movie().rateValue, 1.0f);
         EXPECT_EQ(t.movie().volumeValue, 256);
     },
     [](M& t) {
         t.movie().rateValue = 2.0f;
         t.movie().volumeValue = 64;
     }},
    {"Movie", "Forward 0.5 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 50500); }},
    {"Movie", "Back 0.5 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 49500); }},
    {"Movie", "Forward 2 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 52000); }},
    {"Movie", "Back 2 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 48000); }},
    {"Movie", "Forward 5 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 55000); }},
    {"Movie", "Back 5 %", [](M& t) { EXPECT_EQ(t.movie().current.value, 45000); }},
    {"Play", "Next", [](M& t) { EXPECT_EQ(t.controller().lActualIndex(), 2); }},
    {"Play", "Previous", [](M& t) { EXPECT_EQ(t.controller().lActualIndex(), 0); }},
    {"Play", "Slide Show", [](M& t) { EXPECT_TRUE(t.controller().loopModus()); }},
    {"Play", "Stop Slide Show", [](M& t) { EXPECT_FALSE(t.controller().loopModus()); },
     [](M& t) { t.controller().setLoopMode(); }},
    {"Play", "Show Status", [](M& t) { EXPECT_TRUE(t.overlayText().contains(QStringLiteral("film"))); }},
    {"Window", "Play List", [](M&) { EXPECT_NE(visibleWidget<PlaylistWindowView>(), nullptr); }},
    {"Help", "Vistrel Help",
     [](M& t) {
         ASSERT_EQ(t.opener->opened.size(), 1u);
         EXPECT_EQ(t.opener->opened.front(), "/help/VistrelHelp.pdf");
     }},
};

INSTANTIATE_TEST_SUITE_P(MenuBar, MenuCommandEffects, ::testing::ValuesIn(rows),
                         [](const ::testing::TestParamInfo<MenuRow>& tested) {
                             std::string name = std::string(tested.param.menu) + "_" + tested.param.item;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// A command added to the table without a row here would go untried.
TEST(MenuCommandTable, EveryCommandHasAnEffectRow) {
    std::set<std::pair<QString, QString>> covered;
    for (const MenuRow& row : rows)
        covered.emplace(QString::fromUtf8(row.menu), QString::fromUtf8(row.item));
    for (const MenuCommand& command : menuCommands())
        EXPECT_TRUE(covered.count({menuTitle(command.menu), QString::fromUtf8(command.title)}))
            << command.name;
    EXPECT_EQ(covered.size(), menuCommands().size());
}

} // namespace
} // namespace vistrel::test
