// Phone and web pictures in a folder handed to the viewer: found by the scan and shown
// turned the right way, over the real picture service.

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakeSettingsStore.h"
#include "MediaFixtures.h"
#include "TemporaryFolder.h"
#include "app/Application.h"
#include "core/controller/VistrelController.h"
#include "display/VistrelView.h"
#include "core/media/Picture.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace vistrel::test {
namespace {

struct Expected {
    int orientation;
    Size extent;
};

TEST(LibraryFormatsViewer, AFolderScanFindsAndShowsHeicAvifAndJpegXl) {
    const TemporaryFolder folder;
    const std::map<std::string, Expected> expected{
        {"rotated.heic", {1, {300, 200}}}, {"plain.avif", {1, {40, 30}}}, {"rotated.jxl", {6, {200, 300}}}};
    for (const auto& [name, facts] : expected)
        ASSERT_TRUE(QFile::copy(MediaFixtures::get().path(QString::fromStdString(name)),
                                QString::fromStdString(folder.file(name))));
    folder.write("notes.txt", "not a picture");

    Application app(ApplicationServices{
        std::make_unique<FakeSettingsStore>(), nullptr, std::make_unique<FakeMovieService>(),
        std::make_unique<FakeAlerts>(), std::make_unique<FakeFilePanels>(),
        std::make_unique<FakePasteboard>(), std::make_unique<FakeDocumentOpener>(), nullptr});
    app.start({folder.path()});
    const FileList& list = app.controller().play().fileList();
    // The folder is scanned on a worker; its entries arrive on the GUI thread.
    ASSERT_TRUE(waitUntil([&] { return !app.controller().intake().scanning() && list.size() == expected.size(); }))
        << list.size() << " entries";

    std::shared_ptr<Picture> previous;
    for (std::size_t index = 0; index < list.size(); ++index) {
        const std::string name = list[index].path.substr(folder.path().size() + 1);
        ASSERT_TRUE(waitUntil([&] {
            return app.controller().lActualIndex() == static_cast<int>(index) && app.view().ciImage() &&
                   app.view().ciImage() != previous;
        })) << name;
        previous = app.view().ciImage();
        EXPECT_EQ(app.view().orientation(), expected.at(name).orientation) << name;
        EXPECT_EQ(app.view().ciImage()->extent(), expected.at(name).extent) << name;
        app.controller().playNext();
    }
}

} // namespace
} // namespace vistrel::test
