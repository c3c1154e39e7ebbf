#include "app/QtSettingsStore.h"
#include "media/pictures/QtPictureService.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtGlobal>
#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include <vector>

namespace vistrel {
namespace {

struct LogLine {
    std::string category;
    QtMsgType type;
};

std::vector<LogLine>* capturedLines = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString&) {
    if (capturedLines != nullptr && context.category != nullptr)
        capturedLines->push_back({context.category, type});
}

// Failures leave a line in their area's category once enabled, and are silent by default.
class FailureLogging : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        capturedLines = &lines;
        previous = qInstallMessageHandler(capture);
        QLoggingCategory::setFilterRules(GetParam() ? QStringLiteral("vistrel.*=true") : QString());
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        qInstallMessageHandler(previous);
        capturedLines = nullptr;
        QLoggingCategory::setFilterRules(QString());
    }

    // Lines in `category`, or in any of ours when it is empty.
    int linesIn(const std::string& category) const {
        int count = 0;
        for (const LogLine& line : lines)
            count += category.empty() ? line.category.starts_with("vistrel.") : line.category == category;
        return count;
    }
    std::string file(const char* name, const std::string& content) const {
        const std::string path = folder.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    void expectLogged(const std::string& category) const {
        if (GetParam())
            EXPECT_GE(linesIn(category), 1) << category;
        else
            EXPECT_EQ(linesIn(""), 0);
    }

    QTemporaryDir folder;
    std::vector<LogLine> lines;
    QtMessageHandler previous = nullptr;
};

TEST_P(FailureLogging, ADamagedPicture) {
    QtPictureService pictures;
    const std::string damaged = file("damaged.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + "cut");
    EXPECT_EQ(pictures.decodeFirstImage(damaged, std::nullopt).picture, nullptr);
    expectLogged("vistrel.media.picture");
}

// A folder where the settings file should be is a plain file: no one can write there,
// not even root.
TEST_P(FailureLogging, ASettingsWriteThatFails) {
    file("blocked", "a file, not a folder");
    QtSettingsStore store(folder.filePath(QStringLiteral("blocked/settings.conf")));
    store.writeString("ScaleX", "2");
    store.waitUntilWritten();
    expectLogged("vistrel.settings");
}

INSTANTIATE_TEST_SUITE_P(Enabled, FailureLogging, ::testing::Values(true, false),
                         [](const auto& tested) { return tested.param ? "Enabled" : "ByDefault"; });

} // namespace
} // namespace vistrel
