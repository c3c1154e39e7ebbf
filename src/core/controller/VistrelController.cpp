#include "core/controller/VistrelController.h"

#include "core/info/ItemInfoText.h"
#include "core/platform/AuxiliaryWindows.h"
#include "core/platform/DocumentOpener.h"
#include "core/platform/MainWindow.h"
#include "core/playlist/PlaylistWindow.h"
#include "core/settings/Preferences.h"
#include "core/settings/SettingsKeys.h"

#include <utility>

namespace vistrel {

namespace {

// Room under the menu bar in which the pointer brings a hidden menu bar back.
constexpr double menuStripMargin = 20.0;

// The one clipboard type exchanged with other programs: a movie frame.
constexpr const char* tiffPasteboardType = "image/tiff";
constexpr const char* helpDocument = "VistrelHelp.pdf";

} // namespace

VistrelController::VistrelController(ControllerServices services)
    : m_services(services), m_modals(services.alerts, services.panels, services.scheduler),
      m_defaults(services.settings), m_recentDocuments(m_defaults),
      m_playlistFiles(m_play, m_modals, m_modals, services.work),
      m_placement(m_shownMovie, services.window, services.movieView),
      m_playback(m_shownMovie, services.cinfo), m_bars(services.window, services.movieView, m_placement),
      m_session(ShowingPorts{services.scheduler, services.work, services.pictures, services.movies,
                             services.window, services.movieView, services.cinfo, m_modals},
                m_play, m_recentDocuments, m_placement, m_shownMovie),
      m_capture(CapturePorts{services.scheduler, services.work, services.pictures, services.pasteboard,
                             services.windows, m_modals},
                services.movieView, m_shownMovie, m_session),
      m_intake(m_play, services.work, m_modals, m_playlistFiles, m_session),
      loopModusChanged(m_session.slideShow().runningChanged) {}

VistrelController::~VistrelController() = default;

// ---------------------------------------------------------------- start-up

void VistrelController::awakeFromNib() {
    MainWindow& window = m_services.window;
    m_shownMovie.reset();
    window.setMenuBarVisible(true);
    m_defaults.registerViewerDefaults();
    m_placement.fillScreen();
    createPlaylistWindow();
    m_playback.resetRate();
    m_session.reset();
    window.makeKeyAndOrderFront();
    window.makeViewFirstResponder();
    readSettings();
    setDeskMovie(m_defaults.boolForKey(SettingsKeys::movieOnDesk));
    m_session.followMovieEnds();
    window.setMenuBarVisible(true);
    window.installMenuStrip(static_cast<int>(window.menuBarHeight() + menuStripMargin));
    registerServicesMenuSendTypes({tiffPasteboardType}, {tiffPasteboardType});
    createPrefsWhenAbsent();
    m_session.learnItemTypes();
}

// The window logic exists from start-up; its window is built only when first shown.
void VistrelController::createPlaylistWindow() {
    if (m_playlistWindow)
        return;
    auto readInfo = [&pictures = m_services.pictures, &movies = m_services.movies](const std::string& path) {
        return getInfoString(path, pictures, movies);
    };
    m_playlistWindow = std::make_unique<PlaylistWindow>(m_play, m_services.work, std::move(readInfo), *this);
}

void VistrelController::createPrefsWhenAbsent() {
    if (!m_prefs)
        m_prefs = std::make_unique<Preferences>(m_defaults, m_modals, *this);
}

void VistrelController::readSettings() {
    m_placement.restore(m_defaults);
    setSleep(m_defaults.floatForKey(SettingsKeys::sleep));
    setImageCompression(m_defaults.floatForKey(SettingsKeys::imageCompression));
    setImagePath(m_defaults.stringForKey(SettingsKeys::imagePath));
}

// ---------------------------------------------------------------- services and help

VistrelController* VistrelController::validRequestorForSendType(const std::string& sendType,
                                                                 const std::string& returnType) {
    return FramePasteboard::servesTypes(sendType, returnType) ? this : nullptr;
}

// A missing document starts the opener with nothing to open, which shows nothing.
void VistrelController::showHelp(Sender*) {
    m_services.opener.open(m_services.opener.resourcePath(helpDocument));
}

// ---------------------------------------------------------------- settings window

void VistrelController::preferences(Sender*) {
    createPrefsWhenAbsent();
    m_services.windows.showPreferencesWindow();
}

void VistrelController::reset(Sender* sender) {
    if (m_prefs)
        m_prefs->Reset(sender);
}

} // namespace vistrel
