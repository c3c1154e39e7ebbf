#include "app/MultiPickFileDialog.h"
#include "app/QtAlerts.h"
#include "app/QtFilePanels.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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

// Types `name` into the save panel QtFilePanels runs, picks the filter at `filter` as a
// user would, and saves.
std::optional<std::string> saveAs(const QString& folder, const QString& name, int filter = 0) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(folder);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setCurrentIndex(filter);
        Q_EMIT types->textActivated(types->currentText());
        dialog->selectFile(name);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtFilePanels panels;
    return panels.runSavePanel({"vistrelplaylist", "m3u8"});
}

TEST(QtFilePanelsTest, ASavedNameKeepsTheChosenTypesExtensionWhateverDotsItHolds) {
    QTemporaryDir folder;
    const std::string at = QFile::encodeName(folder.path()).toStdString() + "/";
    EXPECT_EQ(saveAs(folder.path(), "Trip 2.5"), at + "Trip 2.5.vistrelplaylist");
    EXPECT_EQ(saveAs(folder.path(), "holiday"), at + "holiday.vistrelplaylist");
    EXPECT_EQ(saveAs(folder.path(), "holiday.2024", 1), at + "holiday.2024.m3u8");
    EXPECT_EQ(saveAs(folder.path(), "Mine.VistrelPlaylist"), at + "Mine.VistrelPlaylist");

    const std::vector<std::string> types{"vistrelplaylist", "m3u8"};
    EXPECT_EQ(QtFilePanels::withExtension("/a/x.M3U8", types, "vistrelplaylist"), "/a/x.M3U8");
    EXPECT_EQ(QtFilePanels::withExtension("/a/x.m3u8.txt", types, "m3u8"), "/a/x.m3u8.txt.m3u8");
    EXPECT_EQ(QtFilePanels::withExtension("/a/vistrelplaylist", types, "vistrelplaylist"),
              "/a/vistrelplaylist.vistrelplaylist");
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
