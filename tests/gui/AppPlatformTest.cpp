#include "app/MultiPickFileDialog.h"
#include "app/QtAlerts.h"
#include "app/QtFilePanels.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(QtAlertsTest, WarningHasTheTextsExactlyAndOneOkButton) {
    const auto box = QtAlerts::createWarningBox("Can't open <movie>", "a & b: “/tmp/x.mov”");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), QStringLiteral("Can't open <movie>"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("a & b: “/tmp/x.mov”"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("OK"));
}

TEST(QtFilePanelsTest, FilterOffersEachAllowedExtensionOnceAndAllFiles) {
    EXPECT_EQ(QtFilePanels::nameFilters({"jpg", "png", "jpg", "", "mov"}),
              (QStringList{"Pictures and movies (*.jpg *.png *.mov)", "All files (*)"}));
    EXPECT_EQ(QtFilePanels::nameFilters({}), (QStringList{"All files (*)"}));
}

class MultiPickFileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("album")));
        for (const char* name : {"a.png", "b.mov"}) {
            QFile file(folder.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        dialog.setDirectory(folder.path());
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // The folder is listed and then sorted asynchronously: wait for what a user sees.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const int album = rowOf("album").row(), a = rowOf("a.png").row(), b = rowOf("b.mov").row();
            return album >= 0 && album < a && a < b;
        }));
    }

    QModelIndex rowOf(const char* name) {
        QAbstractItemView* view = dialog.currentView();
        if (!view || !view->model())
            return {};
        const QString wanted = folder.filePath(QString::fromUtf8(name));
        QAbstractItemModel* model = view->model();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            if (index.data(QFileSystemModel::FilePathRole).toString() == wanted)
                return index;
        }
        return {};
    }

    void select(const std::vector<const char*>& names) {
        QItemSelectionModel* selection = dialog.currentView()->selectionModel();
        selection->clearSelection();
        for (const char* name : names)
            selection->select(rowOf(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QTemporaryDir folder;
    MultiPickFileDialog dialog;
};

TEST_F(MultiPickFileDialogTest, FilesAndFoldersAreChosenTogetherInListOrder) {
    select({"b.mov", "album", "a.png"});
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // Folders come first in the dialog's listing, then files by name.
    EXPECT_EQ(dialog.chosenPaths(),
              (QStringList{folder.filePath("album"), folder.filePath("a.png"), folder.filePath("b.mov")}));
}

TEST_F(MultiPickFileDialogTest, OneFolderAloneIsChosenNotEntered) {
    select({"album"});
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenPaths(), QStringList{folder.filePath("album")});
}

} // namespace
} // namespace vistrel
