#pragma once

#include "core/capture/FramePasteboard.h"
#include "core/capture/FrameWriter.h"
#include "core/capture/PictureSeries.h"
#include "core/controller/ModalGuard.h"
#include "core/controller/Sender.h"
#include "core/controller/UnshownRun.h"
#include "core/events/Signal.h"
#include "core/geometry/Geometry.h"
#include "core/geometry/ItemLayout.h"
#include "core/intake/FolderIntake.h"
#include "core/platform/Scheduler.h"
#include "core/playlist/PlaylistFileCommands.h"
#include "core/playlist/PlaylistStore.h"
#include "core/settings/RecentDocuments.h"
#include "core/settings/UserDefaults.h"
#include "core/show/ItemLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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

// The viewer's state and its user commands. Actions take the sender (which may be
// nullptr) and ignore it unless they reflect a state back to it.
class VistrelController {
public:
    explicit VistrelController(ControllerServices services);
    ~VistrelController();
    VistrelController(const VistrelController&) = delete;
    VistrelController& operator=(const VistrelController&) = delete;

    // The whole start-up, in its fixed order. Call once.
    void awakeFromNib();
    void close(Sender* sender = nullptr) { (void)sender; }

    // --- play list and intake
    PlaylistStore& play() { return m_play; }
    const PlaylistStore& play() const { return m_play; }
    void open(Sender* sender = nullptr);
    void applicationOpenFiles(const std::vector<std::string>& paths);
    bool applicationOpenFile(const std::string& path);
    void addRecursicveDirectoryInFilelist(const std::string& folder);
    const std::vector<std::string>& qtTypes() const { return m_qtTypes; }
    const std::vector<std::string>& cgiTypes() const { return m_cgiTypes; }
    std::int32_t lActualIndex() const { return m_lActualIndex; }
    // Files and folders on their way into the list; its `failed` reports skipped folders.
    FolderIntake& intake() { return m_intake; }

    // --- showing an item
    // The current entry's path (the mark wins over the index), or nullopt.
    std::optional<std::string> getURL();
    void playIt();
    const std::shared_ptr<Movie>& movie() const { return m_Movie; }

    // --- navigation and slide show
    void playNext(Sender* sender = nullptr);
    void playPrevious(Sender* sender = nullptr);
    void setLoopMode(Sender* sender = nullptr);
    void movieDidEnd();
    void stopLoop(Sender* sender = nullptr);
    void loop(Sender* sender = nullptr);
    void setSleep(float seconds) { m_sleep = seconds; }
    float sleep() const { return m_sleep; }
    bool loopModus() const { return m_bLoopModus; }
    // Emitted whenever the slide show is switched on or off, by whatever means.
    Signal<bool> loopModusChanged;

    // --- playback controls (do nothing while no movie is shown)
    void movieFaster(Sender* sender = nullptr);
    void movieSlower(Sender* sender = nullptr);
    void movieNormal(Sender* sender = nullptr);
    void movieVolumePlus(Sender* sender = nullptr);
    void movieVolumeMinus(Sender* sender = nullptr);
    void movieSkip01(Sender* sender = nullptr);
    void movieSkip1(Sender* sender = nullptr);
    void movieSkip10(Sender* sender = nullptr);
    void movieSkipm01(Sender* sender = nullptr);
    void movieSkipm1(Sender* sender = nullptr);
    void movieSkipm10(Sender* sender = nullptr);
    void movieSkip(std::int32_t divisor, std::int32_t vorzeichen);
    void stopCont(Sender* sender = nullptr);
    void movieToggleMenu(Sender* sender = nullptr);
    void movieToggleControl(Sender* sender = nullptr);
    void mouseEntered();
    void mouseExited() {}
    double rate() const { return m_rate; }

    // --- geometry and placement
    void scale();
    float scaleX() const { return m_geometry.scaleX; }
    float scaleY() const { return m_geometry.scaleY; }
    float posX() const { return m_geometry.posX; }
    float posY() const { return m_geometry.posY; }
    void setScaleX(float value);
    void setScaleY(float value);
    void setPosX(float value);
    void setPosY(float value);
    void setPosXY(float x, float y);
    void movieMoveX(Sender* sender = nullptr);
    void movieMoveMX(Sender* sender = nullptr);
    void movieMoveY(Sender* sender = nullptr);
    void movieMoveMY(Sender* sender = nullptr);
    void movieScale(Sender* sender = nullptr);
    void movieScaleM(Sender* sender = nullptr);
    void movieScaleY(Sender* sender = nullptr);
    void movieScaleYM(Sender* sender = nullptr);
    void setTransparency(float alpha);
    void setDeskMovie(bool onDesktop);

    // --- status display
    void showInfo(Sender* sender = nullptr);

    // --- frame capture and picture series
    const std::string& imagePath() const { return m_imagePath; }
    void setImagePath(const std::string& path) { m_imagePath = path; }
    float imageCompression() const { return m_imageCompression; }
    void setImageCompression(float factor) { m_imageCompression = factor; }
    // Writes the frame on screen; the file, its alert and its number follow in the background.
    void saveDocument(Sender* sender = nullptr);
    void makePictures(Sender* sender = nullptr);
    void startMakingPictures(Sender* sender = nullptr);
    void stopMakingPictures(Sender* sender = nullptr);
    void cancelMakingPictures(Sender* sender = nullptr);
    const std::string& shotsPerMinute() const { return m_series.shotsPerMinute(); }
    void setShotsPerMinute(const std::string& text) { m_series.setShotsPerMinute(text); }
    double pictureSize() const { return m_series.pictureSize(); }
    void setPictureSize(double size) { m_series.setPictureSize(size); }
    const std::string& infoText() const { return m_series.infoText(); }
    void setInfoText(const std::string& text) { m_series.setInfoText(text); }
    std::int32_t fileIndex() const { return m_frameWriter.fileIndex(); }
    bool makePictureModus() const { return m_series.running(); }
    // The series' change events, for its panel.
    PictureSeries& pictureSeries() { return m_series; }
    // How each frame ended, for the log.
    FrameWriter& frameWriter() { return m_frameWriter; }

    // --- services and help
    // Type names are those of the pasteboard ("image/tiff"); an empty string stands for none.
    VistrelController* validRequestorForSendType(const std::string& sendType, const std::string& returnType);
    bool writeSelectionToPasteboard(const std::vector<std::string>& types);
    bool readSelectionFromPasteboard() { return true; }
    // Edit > Copy Frame: the movie frame on the clipboard as TIFF and PNG.
    void copyFrame(Sender* sender = nullptr);
    void showHelp(Sender* sender = nullptr);
    // The clipboard types offered to and taken from other programs, fixed at start-up.
    void registerServicesMenuSendTypes(std::vector<std::string> sendTypes,
                                       std::vector<std::string> returnTypes);
    const std::vector<std::string>& servicesSendTypes() const { return m_servicesSendTypes; }
    const std::vector<std::string>& servicesReturnTypes() const { return m_servicesReturnTypes; }
    UserDefaults& defaults() { return m_defaults; }
    RecentDocuments& recentDocuments() { return m_recentDocuments; }
    static constexpr unsigned maximumRecentDocumentCount() { return RecentDocuments::maximumRecentDocumentCount; }
    void keyDown() {}

    // --- play list window and play list files
    // The play list window's logic, made at start-up (nullptr before it); it works on play().
    PlaylistWindow* playlistWindow() { return m_playlistWindow.get(); }
    void showList(Sender* sender = nullptr);
    void saveList(Sender* sender = nullptr);
    void openList(Sender* sender = nullptr);
    PlaylistFileCommands& playlistFiles() { return m_playlistFiles; }

    // --- settings window
    void preferences(Sender* sender = nullptr);
    void reset(Sender* sender = nullptr);
    // The settings window's logic; nullptr until start-up (or preferences) creates it.
    Preferences* prefs() { return m_prefs.get(); }
    // Where the view asks for more pixels of a zoomed picture: the road every decode takes.
    PictureResolution& pictureResolution() { return m_itemLoader; }

    const ControllerServices& services() const { return m_services; }

private:
    void fillScreenWithView();
    void createPlaylistWindow();
    void resetRunState();
    void readSettings();
    void takeIn(const std::vector<std::string>& paths);
    void showLoadedListIfIdle();
    void buildTypeLists();
    void createPrefsWhenAbsent();
    // The entry at lActualIndex when it is marked, else the first marked entry.
    std::optional<std::size_t> currentEntryIndex() const;
    // Asks the item loader for `path`; showLoaded finishes on the GUI thread.
    void requestItem(const std::string& path);
    void showLoaded(const std::string& path, const LoadedItem& item);
    // Whether an item is on screen now, could not be shown, or (a movie) is still opening.
    enum class ShowOutcome { shown, unshown, pending };
    ShowOutcome showItem(const std::string& path, const LoadedItem& item);
    void noteShowOutcome(ShowOutcome outcome);
    bool showPicture(const std::string& path, const DecodedPicture& decoded);
    // Asks for the movie; it is shown once open, unless another item was asked for since.
    void requestMovie(const std::string& path);
    bool showMovie(const std::string& path, std::shared_ptr<Movie> movie);
    bool isPicturePath(const std::string& path) const;
    // The screen's longer side squared: the decoder works in stored orientation,
    // which is only known once the file is read, and this fits either turn.
    Size pictureSizeNeeded() const;
    // The pictures next to the current entry, the next one first (a slide show's way).
    std::vector<std::string> neighbourPictures() const;
    void stepMark(int direction);
    void passOverUnshown();
    void advanceSlideShow();
    void cancelPendingAdvance();
    void stepRate(double step);
    void stepVolume(int step);
    FrameSource frameOnScreen();

    ControllerServices m_services;
    // Every alert and panel goes through here, never through m_services directly, so
    // that slide-show advances and movie ends wait while one is up.
    ModalGuard m_modals;
    UserDefaults m_defaults;
    RecentDocuments m_recentDocuments;
    PlaylistStore m_play;
    std::unique_ptr<PlaylistWindow> m_playlistWindow;
    PlaylistFileCommands m_playlistFiles;
    FrameWriter m_frameWriter;
    FramePasteboard m_framePasteboard;
    PictureSeries m_series;
    Connection m_seriesHearsFrames;
    ItemLoader m_itemLoader;
    Connection m_listChangeDropsPreloads;

    std::shared_ptr<Movie> m_Movie;
    Scheduler::TimerId m_timerLoopMode = Scheduler::noTimer;
    GeometryValues m_geometry;
    float m_sleep = 5.0f;
    float m_imageCompression = 0.2f;
    std::string m_imagePath;
    double m_rate = 1.0;
    bool m_bLoopModus = false;
    UnshownRun m_unshownRun;
    std::int32_t m_lActualIndex = 0;
    std::vector<std::string> m_qtTypes;
    std::vector<std::string> m_cgiTypes;
    std::vector<std::string> m_servicesSendTypes;
    std::vector<std::string> m_servicesReturnTypes;
    // Reads the type lists above and shows through playIt: declared after them, destroyed
    // first, which ends a running scan before anything it reaches goes.
    FolderIntake m_intake;
    // Refers to m_defaults and to the controller: declared after them, destroyed first.
    std::unique_ptr<Preferences> m_prefs;
};

} // namespace vistrel
