#pragma once

#include "FakeAlerts.h"
#include "FakeAuxiliaryWindows.h"
#include "FakeBackgroundWork.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMainWindow.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakePictureService.h"
#include "FakePictureView.h"
#include "FakeScheduler.h"
#include "FakeSettingsStore.h"
#include "FakeStatusOverlay.h"
#include "core/controller/VistrelController.h"

#include <gtest/gtest.h>
#include <memory>

namespace vistrel::test {

// A started controller on fakes. Tests configure the fakes (stored settings, the
// screen, openable movies, decodable pictures) before calling start().
class ControllerFixture : public ::testing::Test {
  protected:
    void start() {
        controller = std::make_unique<VistrelController>(
            ControllerServices{scheduler, settings, window, view, overlay, alerts, panels, movies, pictures, work,
                               pasteboard, opener, windows});
        controller->awakeFromNib();
    }

    // A list of entries for `paths`, `marked` the one marked (-1: none), set without showing anything.
    void setList(const std::vector<std::string>& paths, int marked) {
        FileList list;
        for (const auto& path : paths)
            list.push_back(PlaylistEntry::forPath(path));
        if (marked >= 0)
            list[static_cast<std::size_t>(marked)].active = true;
        controller->play().setFileList(std::move(list));
    }

    std::vector<bool> marks() const {
        std::vector<bool> result;
        for (const auto& entry : controller->play().fileList())
            result.push_back(entry.active);
        return result;
    }

    void addPicture(const std::string& path, Size size = {640.0f, 480.0f},
                    std::optional<int> orientation = {}) {
        pictures.decodable[path] = {size, orientation};
    }
    void addMovie(const std::string& path, FakeMovie movie = {}) { movies.openable[path] = movie; }

    FakeScheduler scheduler;
    FakeSettingsStore settings;
    FakeMainWindow window;
    FakePictureView view;
    FakeStatusOverlay overlay;
    FakeAlerts alerts;
    FakeFilePanels panels;
    FakeMovieService movies;
    FakePictureService pictures;
    FakeBackgroundWork work;
    FakePasteboard pasteboard;
    FakeDocumentOpener opener;
    FakeAuxiliaryWindows windows;
    std::unique_ptr<VistrelController> controller;
};

} // namespace vistrel::test
