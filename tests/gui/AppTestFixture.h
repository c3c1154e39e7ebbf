#pragma once

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakePasteboard.h"
#include "FakeMovieService.h"
#include "FakePictureService.h"
#include "FakeSettingsStore.h"
#include "app/Application.h"
#include "app/QtBackgroundWork.h"
#include "app/KeyWindow.h"
#include "app/MainMenu.h"
#include "core/controller/VistrelController.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace vistrel::test {

// The whole application with its real window, view, overlay, scheduler and menus,
// over fake settings, media, alerts and panels.
class AppTestFixture : public ::testing::Test {
  protected:
    AppTestFixture() {
        auto settingsStore = std::make_unique<FakeSettingsStore>();
        auto pictureService = std::make_unique<FakePictureService>();
        auto movieService = std::make_unique<FakeMovieService>();
        auto alertBox = std::make_unique<FakeAlerts>();
        auto filePanels = std::make_unique<FakeFilePanels>();
        auto fakePasteboard = std::make_unique<FakePasteboard>();
        auto documentOpener = std::make_unique<FakeDocumentOpener>();
        pasteboard = fakePasteboard.get();
        opener = documentOpener.get();
        settings = settingsStore.get();
        pictures = pictureService.get();
        movies = movieService.get();
        alerts = alertBox.get();
        panels = filePanels.get();
        app = std::make_unique<Application>(
            ApplicationServices{std::move(settingsStore), std::move(pictureService), std::move(movieService),
                                std::move(alertBox), std::move(filePanels), std::move(fakePasteboard),
                                std::move(documentOpener), nullptr});
    }

    // Starts the application and waits until its window has the keyboard focus and
    // the first of `paths` is shown.
    void start(const std::vector<std::string>& paths = {}) {
        app->start(paths);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        settle();
    }
    // Waits until every background job (a decode for the screen among them) has finished.
    void settle() { ASSERT_TRUE(app->work().waitForIdle()); }

    // Paths of decodable fake pictures named 0.png, 1.png, … in a made-up folder.
    std::vector<std::string> pictureFiles(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back("/pictures/" + std::to_string(i) + ".png");
            pictures->decodable[paths.back()] = {{640.0f, 480.0f}, {}};
        }
        return paths;
    }

    std::vector<std::string> listPaths() {
        std::vector<std::string> paths;
        for (const auto& entry : controller().play().fileList())
            paths.push_back(entry.path);
        return paths;
    }

    KeyWindow& window() { return app->window(); }
    VistrelController& controller() { return app->controller(); }
    QAction* action(const char* name) { return app->menu().action(QString::fromUtf8(name)); }

    FakeSettingsStore* settings;
    FakePictureService* pictures;
    FakeMovieService* movies;
    FakeAlerts* alerts;
    FakeFilePanels* panels;
    FakePasteboard* pasteboard;
    FakeDocumentOpener* opener;
    std::unique_ptr<Application> app;
};

} // namespace vistrel::test
