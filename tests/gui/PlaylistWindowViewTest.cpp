#include "AppTestFixture.h"
#include "FakeBackgroundWork.h"
#include "FakePlaylistCommands.h"
#include "app/AppWindows.h"
#include "playlist/PlaylistTableModel.h"
#include "core/playlist/PlaylistWindow.h"
#include "playlist/PlaylistWindowView.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QUrl>

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;

// The play list window on its own store, without the rest of the application.
class PlaylistWindowViewTest : public ::testing::Test {
  protected:
    PlaylistWindowViewTest() {
        store.setFileList(entries({"C", "A", "D", "B"}));
        view.show();
    }

    static FileList entries(std::initializer_list<const char*> names) {
        FileList list;
        for (const char* name : names)
            list.push_back(PlaylistEntry::forPath(std::string("/l/") + name + ".jpg"));
        return list;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : store.fileList())
            result.push_back(entry.name.substr(0, entry.name.size() - 4));
        return result;
    }
    QModelIndex cell(int row, int column = PlaylistTableModel::nameColumn) const {
        return view.model()->index(row, column);
    }
    QString nameAt(int row) const { return cell(row).data().toString(); }
    void selectRows(std::initializer_list<int> rows) {
        QItemSelection selection;
        view.table()->selectionModel()->setCurrentIndex(cell(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
        for (int row : rows)
            selection.select(cell(row, 0), cell(row, PlaylistTableModel::pathColumn));
        view.table()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    QString selectedName() const {
        const auto rows = view.table()->selectionModel()->selectedRows(PlaylistTableModel::nameColumn);
        return rows.size() == 1 ? rows.front().data().toString() : QString();
    }
    void clickHeader(int column) {
        QHeaderView* header = view.table()->horizontalHeader();
        const QPoint middle(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
    }

    PlaylistStore store;
    FakeBackgroundWork work;
    FakePlaylistCommands commands;
    PlaylistWindow logic{store, work, {}, commands};
    PlaylistWindowView view{logic};
};

TEST_F(PlaylistWindowViewTest, SelectionFollowsItsEntryThroughEveryEdit) {
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    selectRows({1}); // A
    EXPECT_EQ(store.selIndex(), (std::set<int>{1}));

    store.insert(0, PlaylistEntry::forPath("/l/E.jpg"));
    EXPECT_EQ(selectedName(), "A.jpg");
    EXPECT_EQ(store.selIndex(), (std::set<int>{2}));

    store.move(2, 4); // A to the end, the rows between move up
    EXPECT_EQ(selectedName(), "A.jpg");
    EXPECT_EQ(store.selIndex(), (std::set<int>{4}));
    store.move(4, 0);
    EXPECT_EQ(selectedName(), "A.jpg");
    EXPECT_EQ(store.selIndex(), (std::set<int>{0}));

    store.remove(2);
    EXPECT_EQ(selectedName(), "A.jpg");
    store.setSortDesc({{"name", false}});
    EXPECT_THAT(names(), ElementsAre("E", "D", "B", "A"));
    EXPECT_EQ(selectedName(), "A.jpg");
    EXPECT_EQ(store.selIndex(), (std::set<int>{3}));
    EXPECT_EQ(view.table()->currentIndex().row(), 3);

    store.markOnly(3);
    EXPECT_EQ(cell(3, PlaylistTableModel::markColumn).data().toString(), QString::fromUtf8("\u25CF"));
    EXPECT_EQ(cell(0, PlaylistTableModel::markColumn).data().toString(), QString());
}

TEST_F(PlaylistWindowViewTest, HeaderClicksSortAndADropClearsTheShownOrder) {
    QHeaderView* header = view.table()->horizontalHeader();
    clickHeader(PlaylistTableModel::nameColumn);
    EXPECT_THAT(names(), ElementsAre("A", "B", "C", "D"));
    EXPECT_EQ(store.sortDesc(), (std::vector<SortDescriptor>{{"name", true}}));
    EXPECT_EQ(header->sortIndicatorSection(), PlaylistTableModel::nameColumn);

    clickHeader(PlaylistTableModel::nameColumn);
    EXPECT_THAT(names(), ElementsAre("D", "C", "B", "A"));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    std::unique_ptr<QMimeData> dragged(view.model()->mimeData({cell(3)}));
    ASSERT_TRUE(view.model()->dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_THAT(names(), ElementsAre("A", "D", "C", "B"));
    EXPECT_EQ(header->sortIndicatorSection(), -1);

    clickHeader(PlaylistTableModel::pathColumn);
    EXPECT_THAT(names(), ElementsAre("A", "B", "C", "D"));
}

TEST_F(PlaylistWindowViewTest, DraggingCarriesTheFirstSelectedPathAndDropsMoveIt) {
    PlaylistTableModel& model = *view.model();
    std::unique_ptr<QMimeData> dragged(model.mimeData({cell(3), cell(1), cell(1, 0)}));
    ASSERT_TRUE(dragged);
    EXPECT_EQ(dragged->text(), "/l/A.jpg");
    EXPECT_EQ(model.mimeData({}), nullptr);

    EXPECT_TRUE(model.canDropMimeData(dragged.get(), Qt::MoveAction, -1, -1, {}));
    QMimeData fileNames;
    fileNames.setUrls({QUrl::fromLocalFile("/l/A.jpg")});
    EXPECT_FALSE(model.canDropMimeData(&fileNames, Qt::MoveAction, -1, -1, {}));
    EXPECT_TRUE(model.dropMimeData(&fileNames, Qt::MoveAction, 0, -1, {}));
    EXPECT_THAT(names(), ElementsAre("C", "A", "D", "B"));

    // Onto row D: the line above it, counted without A.
    EXPECT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, cell(2)));
    EXPECT_THAT(names(), ElementsAre("C", "D", "A", "B"));
    // Below every row.
    EXPECT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, -1, -1, {}));
    EXPECT_THAT(names(), ElementsAre("C", "D", "B", "A"));
    EXPECT_FALSE(model.removeRows(0, 1)) << "the view's clean-up after a move must not delete";
    EXPECT_EQ(store.fileList().size(), 4u);

    // A name that is not UTF-8 travels as its bytes and still finds its entry.
    store.append({PlaylistEntry::forPath("/l/\xE9t\xE9.jpg")});
    std::unique_ptr<QMimeData> latin(model.mimeData({cell(4)}));
    ASSERT_TRUE(latin);
    EXPECT_TRUE(model.dropMimeData(latin.get(), Qt::MoveAction, 0, -1, {}));
    EXPECT_EQ(store.fileList().front().path, "/l/\xE9t\xE9.jpg");
}

TEST_F(PlaylistWindowViewTest, RemoveButtonSelectsTheNextEntryAndClosingOnlyHides) {
    selectRows({1});
    QTest::mouseClick(view.findChild<QPushButton*>("remove"), Qt::LeftButton);
    EXPECT_THAT(names(), ElementsAre("C", "D", "B"));
    EXPECT_EQ(selectedName(), "D.jpg");

    logic.setTransparency(0.75f);
    EXPECT_NEAR(view.windowOpacity(), 0.75, 0.01);
    view.close();
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(store.fileList().size(), 3u);
}

TEST_F(PlaylistWindowViewTest, PanesShareTheWindowAndTheTextKeepsItsHeightOnResize) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QWidget* table = view.table();
    QWidget* text = view.text();
    EXPECT_GT(table->height(), text->height());
    EXPECT_GE(text->height(), 16);
    EXPECT_LT(table->geometry().bottom(), text->geometry().top());
    const int textHeight = text->height();
    const int tableHeight = table->height();
    view.resize(view.width(), view.height() + 100);
    EXPECT_EQ(text->height(), textHeight);
    EXPECT_EQ(table->height(), tableHeight + 100);
}

// ---------------------------------------------------------------- in the application

class PlaylistWindowInAppTest : public AppTestFixture {
  protected:
    // Ctrl+L in the main window, which must have the keyboard for its shortcuts.
    PlaylistWindowView* showList() {
        window().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(&window(), Qt::Key_L, Qt::ControlModifier);
        PlaylistWindowView* view = app->windows().playlistWindow();
        if (view) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(view));
        }
        return view;
    }
};

TEST_F(PlaylistWindowInAppTest, ShowListThenEndAndReturnPlaysTheLastEntry) {
    const auto paths = pictureFiles(3);
    start(paths);
    PlaylistWindowView* view = showList();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->windowTitle(), "Play List");
    EXPECT_EQ(view->model()->rowCount(), 3);
    ASSERT_EQ(QApplication::focusWidget(), view->table());

    QTest::keyClick(view->table(), Qt::Key_End);
    QTest::keyClick(view->table(), Qt::Key_Return);
    EXPECT_EQ(controller().lActualIndex(), 2);
    settle();
    EXPECT_EQ(pictures->decoded.back(), paths[2]);
    EXPECT_FALSE(controller().play().fileList()[0].active);
    EXPECT_TRUE(controller().play().fileList()[2].active);
}

TEST_F(PlaylistWindowInAppTest, DoubleClickPlaysAndShowingAgainRaisesTheSameWindow) {
    const auto paths = pictureFiles(3);
    start(paths);
    PlaylistWindowView* view = showList();
    ASSERT_NE(view, nullptr);
    QWidget* viewport = view->table()->viewport();
    const QPoint row1 = view->table()->visualRect(view->model()->index(1, 1)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, row1);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, row1);
    EXPECT_EQ(controller().lActualIndex(), 1);
    settle();
    EXPECT_EQ(pictures->decoded.back(), paths[1]);

    view->close();
    EXPECT_EQ(showList(), view);
    EXPECT_TRUE(view->isVisible());
}

} // namespace
} // namespace vistrel::test
