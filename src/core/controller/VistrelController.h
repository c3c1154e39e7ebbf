#pragma once

#include "core/controller/ModalGuard.h"
#include "core/controller/Sender.h"
#include "core/events/Signal.h"
#include "core/platform/AuxiliaryWindowLogic.h"
#include "core/platform/AuxiliaryWindows.h"
#include "core/playlist/PlaylistCommands.h"
#include "core/playlist/PlaylistFileCommands.h"
#include "core/playlist/PlaylistStore.h"
#include "core/session/BarToggles.h"
#include "core/session/Capture.h"
#include "core/session/ItemIntake.h"
#include "core/session/Placement.h"
#include "core/session/Playback.h"
#include "core/session/ShowingSession.h"
#include "core/session/ShownMovie.h"
#include "core/settings/PreferenceTarget.h"
#include "core/settings/RecentDocuments.h"
#include "core/settings/UserDefaults.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vistrel {

class Alerts;
class AuxiliaryWindows;
class BackgroundWork;
class DocumentOpener;
class FilePanels;
class MainWindow;
class Movie;
class MovieService;
class PictureService;
class Pasteboard;
class PictureView;
class PlaylistWindow;
class Preferences;
class SettingsStore;
class StatusOverlay;

// Everything the controller reaches the world through, injected at construction.
struct ControllerServices {
    Scheduler& scheduler;
    SettingsStore& settings;
    MainWindow& window;
    PictureView& movieView;
    StatusOverlay& cinfo;
    Alerts& alerts;
    FilePanels& panels;
    MovieService& movies;
    PictureService& pictures;
    BackgroundWork& work;
    Pasteboard& pasteboard;
    DocumentOpener& opener;
    AuxiliaryWindows& windows;
};

// The viewer's user commands under the names the menus and the windows know them by,
// each handed to the unit that holds its state: the showing session (what is on
// screen, the slide show), playback, placement, the two bars, capture and intake.
// Actions take the sender (which may be nullptr) and ignore it unless they reflect a
// state back to it.
class VistrelController : public PlaylistCommands, public PreferenceTarget, public AuxiliaryWindowLogic {
public:
    explicit VistrelController(ControllerServices services);
    ~VistrelController() override;
    VistrelController(const VistrelController&) = delete;
    VistrelController& operator=(const VistrelController&) = delete;

    // The whole start-up, in its fixed order. Call once.
    void awakeFromNib();
    void close(Sender* = nullptr) {}

    // --- play list and intake
    PlaylistStore& play() { return m_play; }
    const PlaylistStore& play() const { return m_play; }
    void open(Sender* = nullptr) override { m_intake.open(); }
    void applicationOpenFiles(const std::vector<std::string>& paths) { m_intake.openFiles(paths); }
    bool applicationOpenFile(const std::string&) { return true; }
    void addRecursicveDirectoryInFilelist(const std::string& folder) { m_intake.addFolder(folder); }
    const std::vector<std::string>& qtTypes() const { return m_session.movieTypes(); }
    const std::vector<std::string>& cgiTypes() const { return m_session.pictureTypes(); }
    std::int32_t lActualIndex() const { return m_session.index(); }
    // Files and folders on their way into the list; its `failed` reports skipped folders.
    FolderIntake& intake() { return m_intake.folders(); }

    // --- showing an item
    // The current entry's path (the mark wins over the index), or nullopt.
    std::optional<std::string> getURL() { return m_session.currentPath(); }
    void playIt() override { m_session.playIt(); }
    const std::shared_ptr<Movie>& movie() const { return m_shownMovie.get(); }

    // --- navigation and slide show
    void playNext(Sender* = nullptr) { m_session.playNext(); }
    void playPrevious(Sender* = nullptr) { m_session.playPrevious(); }
    void setLoopMode(Sender* sender = nullptr) { m_session.slideShow().toggle(sender); }
    void movieDidEnd() { m_session.slideShow().itemEnded(); }
    void stopLoop(Sender* = nullptr) override { m_session.slideShow().stop(); }
    void loop(Sender* = nullptr) override { m_session.playIt(); }
    void setSleep(float seconds) override { m_session.slideShow().setInterval(seconds); }
    float sleep() const { return m_session.slideShow().interval(); }
    bool loopModus() const { return m_session.slideShow().running(); }

    // --- playback controls (do nothing while no movie is shown)
    void movieFaster(Sender* = nullptr) { m_playback.faster(); }
    void movieSlower(Sender* = nullptr) { m_playback.slower(); }
    void movieNormal(Sender* = nullptr) { m_playback.normal(); }
    void movieVolumePlus(Sender* = nullptr) { m_playback.louder(); }
    void movieVolumeMinus(Sender* = nullptr) { m_playback.quieter(); }
    void movieSkip01(Sender* = nullptr) { movieSkip(200, 1); }
    void movieSkip1(Sender* = nullptr) { movieSkip(50, 1); }
    void movieSkip10(Sender* = nullptr) { movieSkip(20, 1); }
    void movieSkipm01(Sender* = nullptr) { movieSkip(200, -1); }
    void movieSkipm1(Sender* = nullptr) { movieSkip(50, -1); }
    void movieSkipm10(Sender* = nullptr) { movieSkip(20, -1); }
    void movieSkip(std::int32_t divisor, std::int32_t vorzeichen) { m_playback.skip(divisor, vorzeichen); }
    void stopCont(Sender* = nullptr) { m_playback.stopOrContinue(m_session.animation()); }
    void movieToggleMenu(Sender* = nullptr) { m_bars.toggleMenuBar(); }
    void movieToggleControl(Sender* = nullptr) { m_bars.toggleMovieControls(); }
    void mouseEntered() { m_bars.pointerEnteredMenuStrip(); }
    void mouseExited() {}
    double rate() const { return m_playback.rate(); }

    // --- geometry and placement
    void scale() { m_placement.scale(); }
    float scaleX() const override { return m_placement.scaleX(); }
    float scaleY() const override { return m_placement.scaleY(); }
    float posX() const override { return m_placement.posX(); }
    float posY() const override { return m_placement.posY(); }
    void setScaleX(float value) override { m_placement.setScaleX(value); }
    void setScaleY(float value) override { m_placement.setScaleY(value); }
    void setPosX(float value) override { m_placement.setPosX(value); }
    void setPosY(float value) override { m_placement.setPosY(value); }
    void setPosXY(float x, float y) { m_placement.setPosXY(x, y); }
    void movieMoveX(Sender* = nullptr) { m_placement.stepPosX(+1); }
    void movieMoveMX(Sender* = nullptr) { m_placement.stepPosX(-1); }
    void movieMoveY(Sender* = nullptr) { m_placement.stepPosY(+1); }
    void movieMoveMY(Sender* = nullptr) { m_placement.stepPosY(-1); }
    void movieScale(Sender* = nullptr) { m_placement.stepScaleX(+1); }
    void movieScaleM(Sender* = nullptr) { m_placement.stepScaleX(-1); }
    void movieScaleY(Sender* = nullptr) { m_placement.stepScaleY(+1); }
    void movieScaleYM(Sender* = nullptr) { m_placement.stepScaleY(-1); }
    void setTransparency(float alpha) override { m_placement.setTransparency(alpha); }
    void setDeskMovie(bool onDesktop) override { m_placement.setDeskMovie(onDesktop); }
    // What the view's drags and wheel turns change.
    ViewGeometry& viewGeometry() { return m_placement; }

    // --- status display
    void showInfo(Sender* = nullptr) { m_session.showInfo(); }

    // --- frame capture and picture series
    const std::string& imagePath() const { return m_capture.imagePath(); }
    void setImagePath(const std::string& path) override { m_capture.setImagePath(path); }
    float imageCompression() const { return m_capture.imageCompression(); }
    void setImageCompression(float factor) override { m_capture.setImageCompression(factor); }
    // Writes the frame on screen; the file, its alert and its number follow in the background.
    void saveDocument(Sender* = nullptr) { m_capture.saveFrame(); }
    void makePictures(Sender* = nullptr) { pictureSeries().showPanel(); }
    void startMakingPictures(Sender* = nullptr) { pictureSeries().start(); }
    void stopMakingPictures(Sender* = nullptr) { pictureSeries().stop(); }
    void cancelMakingPictures(Sender* = nullptr) { pictureSeries().closePanel(); }
    const std::string& shotsPerMinute() const { return m_capture.series().shotsPerMinute(); }
    void setShotsPerMinute(const std::string& text) { pictureSeries().setShotsPerMinute(text); }
    double pictureSize() const { return m_capture.series().pictureSize(); }
    void setPictureSize(double size) { pictureSeries().setPictureSize(size); }
    const std::string& infoText() const { return m_capture.series().infoText(); }
    void setInfoText(const std::string& text) { pictureSeries().setInfoText(text); }
    std::int32_t fileIndex() const { return m_capture.frameWriter().fileIndex(); }
    bool makePictureModus() const { return m_capture.series().running(); }
    // The series' change events, for its panel.
    PictureSeries& pictureSeries() override { return m_capture.series(); }
    // How each frame ended, for the log.
    FrameWriter& frameWriter() { return m_capture.frameWriter(); }

    // --- services and help
    // Type names are those of the pasteboard ("image/tiff"); an empty string stands for none.
    VistrelController* validRequestorForSendType(const std::string& sendType, const std::string& returnType);
    bool writeSelectionToPasteboard(const std::vector<std::string>& types) {
        return m_capture.writeSelectionToPasteboard(types);
    }
    bool readSelectionFromPasteboard() { return true; }
    // Edit > Copy Frame: the movie frame on the clipboard as TIFF and PNG.
    void copyFrame(Sender* = nullptr) { m_capture.copyFrame(); }
    void showHelp(Sender* sender = nullptr);
    // The clipboard types offered to and taken from other programs, fixed at start-up.
    void registerServicesMenuSendTypes(std::vector<std::string> sendTypes, std::vector<std::string> returnTypes) {
        m_capture.registerPasteboardTypes(std::move(sendTypes), std::move(returnTypes));
    }
    const std::vector<std::string>& servicesSendTypes() const { return m_capture.sendTypes(); }
    const std::vector<std::string>& servicesReturnTypes() const { return m_capture.returnTypes(); }
    UserDefaults& defaults() { return m_defaults; }
    RecentDocuments& recentDocuments() { return m_recentDocuments; }
    static constexpr unsigned maximumRecentDocumentCount() { return RecentDocuments::maximumRecentDocumentCount; }
    void keyDown() {}

    // --- play list window and play list files
    // The play list window's logic, made at start-up (nullptr before it); it works on play().
    PlaylistWindow* playlistWindow() override { return m_playlistWindow.get(); }
    void showList(Sender* = nullptr) { m_services.windows.showPlaylistWindow(); }
    void saveList(Sender* = nullptr) override { m_playlistFiles.saveList(); }
    void openList(Sender* = nullptr) override { m_playlistFiles.openList(); }
    PlaylistFileCommands& playlistFiles() { return m_playlistFiles; }

    // --- settings window
    void preferences(Sender* sender = nullptr);
    void reset(Sender* sender = nullptr);
    // The settings window's logic; nullptr until start-up (or preferences) creates it.
    Preferences* prefs() override { return m_prefs.get(); }
    // Where the view asks for more pixels of a zoomed picture: the road every decode takes.
    PictureResolution& pictureResolution() { return m_session.pictureResolution(); }

    const ControllerServices& services() const { return m_services; }

private:
    void createPlaylistWindow();
    void readSettings();
    void createPrefsWhenAbsent();

    ControllerServices m_services;
    // Every alert and panel goes through here, never through m_services directly, so
    // that slide-show advances and movie ends wait while one is up.
    ModalGuard m_modals;
    UserDefaults m_defaults;
    RecentDocuments m_recentDocuments;
    PlaylistStore m_play;
    PlaylistFileCommands m_playlistFiles;
    ShownMovie m_shownMovie;
    Placement m_placement;
    Playback m_playback;
    BarToggles m_bars;
    ShowingSession m_session;
    Capture m_capture;
    // Shows through the session: declared after it, destroyed first, which ends a
    // running scan before anything it reaches goes.
    ItemIntake m_intake;
    std::unique_ptr<PlaylistWindow> m_playlistWindow;
    // Refers to m_defaults and to the controller: declared after them, destroyed first.
    std::unique_ptr<Preferences> m_prefs;

public:
    // Emitted whenever the slide show is switched on or off, by whatever means.
    Signal<bool>& loopModusChanged;
};

} // namespace vistrel
