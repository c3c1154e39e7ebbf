#include "app/QtSettingsStore.h"
#include "app/CoalescingWriter.h"

#include "core/settings/SettingsKeys.h"
#include "core/settings/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vistrel {
namespace {

class QtSettingsStoreTest : public ::testing::Test {
  protected:
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

    void writeFile(const QString& filePath, const QByteArray& bytes) {
        QFile file(filePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // QSettings keeps what one process wrote in memory; a copy of the file under
    // another name is read afresh, as after a restart.
    QString restarted(QtSettingsStore& store, const char* name) {
        store.waitUntilWritten();
        const QString copy = path(name);
        EXPECT_TRUE(QFile::copy(store.fileName(), copy));
        return copy;
    }

    QTemporaryDir folder;
};

TEST_F(QtSettingsStoreTest, TextsAndListsSurviveARestart) {
    const std::vector<std::string> texts{"", "1.5", "a, b", "/home/ü/Bilder", "@Variant(x)", "=;#[]"};
    const std::vector<std::vector<std::string>> lists{
        {}, {"only"}, {""}, {"/a/b.png", "/c,d/e.jpg", "f \"g\""}};
    {
        QtSettingsStore store(path("settings.conf"));
        for (std::size_t i = 0; i < texts.size(); ++i)
            store.writeString("Text" + std::to_string(i), texts[i]);
        for (std::size_t i = 0; i < lists.size(); ++i)
            store.writeStringList("List" + std::to_string(i), lists[i]);
        const QString copy = restarted(store, "copy.conf");
        QtSettingsStore again(copy);
        for (std::size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(again.readString("Text" + std::to_string(i)), texts[i]) << i;
        for (std::size_t i = 0; i < lists.size(); ++i)
            EXPECT_EQ(again.readStringList("List" + std::to_string(i)), lists[i]) << i;
    }
}

TEST_F(QtSettingsStoreTest, KeysNeverWrittenReadAsMissing) {
    QtSettingsStore store(path("empty.conf"));
    EXPECT_EQ(store.readString("Sleep"), std::nullopt);
    EXPECT_EQ(store.readStringList("RecentDocuments"), std::nullopt);
    store.writeStringList("List", {"a", "b"});
    EXPECT_EQ(store.readString("List"), std::nullopt); // a list is no text
}

TEST_F(QtSettingsStoreTest, DamagedFileFallsBackKeyByKeyAndIsRepairedByTheNextWrite) {
    writeFile(path("damaged.conf"), QByteArray("[General]\nSleep=7.5\nPosX=abc\nScaleX=@Variant(junk)\n"
                                               "Transparency=@Variant(\\0\\0\\0\\x87?\\0\\0\\0)\n"
                                               "RecentDocuments=@Variant(\\xff\\xff)\n",
                                               -1) +
                                        QByteArray("\xff\xfe\0\x01[[[\n=\nMovieOnDesk=\"", 17));
    QtSettingsStore store(path("damaged.conf"));
    UserDefaults defaults(store);
    defaults.registerViewerDefaults();
    EXPECT_FLOAT_EQ(defaults.floatForKey(SettingsKeys::sleep), 7.5f);
    EXPECT_FLOAT_EQ(defaults.floatForKey(SettingsKeys::posX), 0.0f);
    EXPECT_FLOAT_EQ(defaults.floatForKey(SettingsKeys::scaleX), 1.0f);
    EXPECT_FLOAT_EQ(defaults.floatForKey(SettingsKeys::transparency), 1.0f);
    EXPECT_FALSE(defaults.boolForKey(SettingsKeys::movieOnDesk));
    EXPECT_TRUE(defaults.stringListForKey(SettingsKeys::recentDocuments).empty());

    defaults.setFloat(SettingsKeys::posX, 25.0f);
    QtSettingsStore again(restarted(store, "repaired.conf"));
    UserDefaults reread(again);
    reread.registerViewerDefaults();
    EXPECT_FLOAT_EQ(reread.floatForKey(SettingsKeys::posX), 25.0f);
    EXPECT_FLOAT_EQ(reread.floatForKey(SettingsKeys::sleep), 7.5f);
}

TEST_F(QtSettingsStoreTest, BinaryGarbageReadsAsNothing) {
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    writeFile(path("garbage.conf"), garbage);
    QtSettingsStore store(path("garbage.conf"));
    UserDefaults defaults(store);
    defaults.registerViewerDefaults();
    EXPECT_FLOAT_EQ(defaults.floatForKey(SettingsKeys::sleep), 5.0f);
    EXPECT_EQ(defaults.stringForKey(SettingsKeys::imagePath), "");
}

// Writes go to the disk on a thread of their own; nothing written is lost at exit,
// and what another viewer stored meanwhile under other keys is kept.
TEST_F(QtSettingsStoreTest, EveryChangeIsInTheFileOnceTheStoreIsGoneAndOthersKeysStay) {
    {
        QtSettingsStore store(path("shared.conf"));
        store.writeString("Sleep", "3");
        store.waitUntilWritten();
        QSettings other(path("shared.conf"), QSettings::IniFormat);
        other.setValue("ImagePath", "/elsewhere");
        other.sync();
        for (int i = 0; i < 50; ++i)
            store.writeStringList("RecentDocuments", {"/p/" + std::to_string(i) + ".png"});
        store.writeString("Sleep", "4");
        EXPECT_EQ(store.readString("Sleep"), "4") << "read back at once, written or not";
    }
    QtSettingsStore again(path("shared.conf"));
    EXPECT_EQ(again.readString("Sleep"), "4");
    EXPECT_EQ(again.readStringList("RecentDocuments"), std::vector<std::string>{"/p/49.png"});
    EXPECT_EQ(again.readString("ImagePath"), "/elsewhere");
}

TEST(CoalescingWriter, AWriteWaitingIsReplacedByANewerOne) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<int> written;
    {
        CoalescingWriter writer;
        writer.submit([&, released] {
            released.wait();
            written.push_back(0);
        });
        for (int i = 1; i <= 5; ++i)
            writer.submit([&written, i] { written.push_back(i); });
        release.set_value();
        writer.waitUntilWritten();
        EXPECT_EQ(written.back(), 5);
        writer.submit([&written] { written.push_back(6); });
    }
    EXPECT_EQ(written.back(), 6) << "written before the writer went";
    EXPECT_LE(written.size(), 3u) << "the first, perhaps the second, and the newest";
}

TEST_F(QtSettingsStoreTest, UserStoreLivesUnderTheConfigFolderByOrganisationAndName) {
    const QtSettingsStore store;
    const QString expected = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                                 .filePath(QStringLiteral("Vistrel/vistrel.conf"));
    EXPECT_EQ(store.fileName(), expected);
}

} // namespace
} // namespace vistrel
