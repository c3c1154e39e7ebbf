#include "core/controller/VistrelController.h"

#include "core/controller/PlaybackArithmetic.h"
#include "core/controller/StatusText.h"
#include "core/info/ItemInfoText.h"
#include "core/intake/FileKind.h"
#include "core/intake/TypeLists.h"
#include "core/media/Movie.h"
#include "core/media/MovieService.h"
#include "core/media/Picture.h"
#include "core/media/PictureService.h"
#include "core/platform/Alerts.h"
#include "core/platform/AuxiliaryWindows.h"
#include "core/platform/DocumentOpener.h"
#include "core/platform/FilePanels.h"
#include "core/platform/MainWindow.h"
#include "core/platform/SettingsStore.h"
#include "core/platform/StatusOverlay.h"
#include "core/playlist/PathComponents.h"
#include "core/playlist/PlaylistWindow.h"
#include "core/settings/Preferences.h"
#include "core/playlist/PlaylistFile.h"
#include "core/settings/SettingsKeys.h"
#include "core/show/PictureSize.h"
#include "core/view/OrientationTransform.h"
#include "core/view/PictureView.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vistrel {

namespace {

constexpr double rateStep = 0.1;
constexpr int volumeStep = 16;
constexpr std::int16_t fullVolume = 256;
constexpr double placementStep = 0.02;
constexpr double feedbackDuration = 1.0;
constexpr double announcementDuration = 4.0;
// Room under the menu bar in which the pointer brings a hidden menu bar back.
constexpr double menuStripMargin = 20.0;

constexpr int uprightOrientation = 1;

// The one clipboard type exchanged with other programs: a movie frame.
constexpr const char* tiffPasteboardType = "image/tiff";
constexpr const char* helpDocument = "VistrelHelp.pdf";

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

} // namespace

VistrelController::VistrelController(ControllerServices services)
    : m_services(services), m_modals(services.alerts, services.panels, services.scheduler),
      m_defaults(services.settings), m_recentDocuments(m_defaults),
      m_playlistFiles(m_play, m_modals, m_modals, services.work),
      m_frameWriter(m_modals, services.pictures, services.work),
      m_framePasteboard(services.pasteboard, services.pictures, services.work),
      m_series(services.scheduler, services.windows,
               [this] { m_frameWriter.saveFrame(frameOnScreen(), FrameWriter::WhenBusy::skip); }),
      m_seriesHearsFrames(m_frameWriter.frameFinished.connect(
          [this](const FrameReport& report) { m_series.frameFinished(report); })),
      m_itemLoader(services.work, services.pictures),
      // Marks moving do not change which pictures lie next to which; other edits may.
      m_listChangeDropsPreloads(m_play.changed.connect([this](const PlaylistChange& change) {
          if (change.kind != PlaylistChange::Kind::changed)
              m_itemLoader.invalidate();
      })),
      m_intake(m_play, services.work, m_cgiTypes, m_qtTypes, [this] { playIt(); }) {}

// A pending advance must not reach a controller that is gone.
VistrelController::~VistrelController() {
    m_services.scheduler.cancel(m_timerLoopMode);
    // The movie service and the movies still on screen outlive the controller.
    m_services.movies.observeMovieEnds({});
}

// ---------------------------------------------------------------- start-up

void VistrelController::awakeFromNib() {
    MainWindow& window = m_services.window;
    m_Movie.reset();
    window.setMenuBarVisible(true);
    m_defaults.registerViewerDefaults();
    fillScreenWithView();
    createPlaylistWindow();
    resetRunState();
    window.makeKeyAndOrderFront();
    window.makeViewFirstResponder();
    readSettings();
    setDeskMovie(m_defaults.boolForKey(SettingsKeys::movieOnDesk));
    m_services.movies.observeMovieEnds([this](Movie&) { m_modals.whenFree([this] { movieDidEnd(); }); });
    window.setMenuBarVisible(true);
    window.installMenuStrip(static_cast<int>(window.menuBarHeight() + menuStripMargin));
    registerServicesMenuSendTypes({tiffPasteboardType}, {tiffPasteboardType});
    createPrefsWhenAbsent();
    buildTypeLists();
}

void VistrelController::fillScreenWithView() {
    const Size screen = m_services.window.screenSize();
    m_services.movieView.setFrame(Rect{0.0f, 0.0f, screen.width, screen.height});
    m_services.movieView.setFirstResponder(true);
}

// The window logic exists from start-up; its window is built only when first shown.
void VistrelController::createPlaylistWindow() {
    if (m_playlistWindow)
        return;
    auto readInfo = [&pictures = m_services.pictures, &movies = m_services.movies](const std::string& path) {
        return getInfoString(path, pictures, movies);
    };
    m_playlistWindow = std::make_unique<PlaylistWindow>(m_play, m_services.work, std::move(readInfo));
    m_playlistWindow->setMovieController(this);
}

void VistrelController::resetRunState() {
    m_rate = 1.0;
    m_bLoopModus = false;
    m_lActualIndex = 0;
}

// Kept as the media services deliver them; filled once.
void VistrelController::buildTypeLists() {
    if (m_qtTypes.empty())
        m_qtTypes = m_services.movies.movieFileTypes();
    if (m_cgiTypes.empty())
        m_cgiTypes = m_services.pictures.pictureFileTypes();
}

void VistrelController::createPrefsWhenAbsent() {
    if (m_prefs)
        return;
    m_prefs = std::make_unique<Preferences>(m_defaults, m_modals);
    m_prefs->setMovieController(this);
}

void VistrelController::readSettings() {
    setTransparency(m_defaults.floatForKey(SettingsKeys::transparency));
    m_geometry.scaleX = m_defaults.floatForKey(SettingsKeys::scaleX);
    m_geometry.scaleY = m_defaults.floatForKey(SettingsKeys::scaleY);
    m_geometry.posX = fractionOfPercent(m_defaults.floatForKey(SettingsKeys::posX));
    m_geometry.posY = fractionOfPercent(m_defaults.floatForKey(SettingsKeys::posY));
    m_sleep = m_defaults.floatForKey(SettingsKeys::sleep);
    m_imageCompression = m_defaults.floatForKey(SettingsKeys::imageCompression);
    m_imagePath = m_defaults.stringForKey(SettingsKeys::imagePath);
}

// ---------------------------------------------------------------- intake

// Play lists are offered too: choosing one loads it (see applicationOpenFiles).
void VistrelController::open(Sender*) {
    std::vector<std::string> allowed = m_cgiTypes;
    allowed.insert(allowed.end(), m_qtTypes.begin(), m_qtTypes.end());
    const auto lists = playlistfile::readableExtensions();
    allowed.insert(allowed.end(), lists.begin(), lists.end());
    if (const auto chosen = m_modals.runOpenPanel(allowed))
        applicationOpenFiles(*chosen);
}

// A play list file handed over is loaded in place of the list, as Open Play List
// loads it, rather than becoming an entry nothing can show. Loading finishes later,
// on the GUI thread; the other files handed over with it are taken in only then, so
// they land after the loaded entries and the first of them is marked and shown as
// any intake shows it (taken in at once, the loaded list would replace them).
// A list handed over alone is shown only when nothing is on screen yet.
void VistrelController::applicationOpenFiles(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    std::vector<std::string> lists;
    std::vector<std::string> files;
    for (const auto& path : paths)
        (playlistfile::isPlaylistPath(path) && !isFolder(path) ? lists : files).push_back(path);
    if (lists.empty()) {
        takeIn(files);
        return;
    }
    m_playlistFiles.loadHandedOver(std::move(lists), [this, files = std::move(files)](bool loaded) {
        if (!files.empty())
            takeIn(files);
        else if (loaded)
            showLoadedListIfIdle();
    });
}

// The marked entry of a freshly loaded list (or its first, which then gets the mark).
void VistrelController::showLoadedListIfIdle() {
    if (m_Movie || m_services.movieView.ciImage() || m_play.fileList().empty())
        return;
    if (m_play.firstMarked() == PlaylistStore::npos)
        m_play.markOnly(0);
    playIt();
}

// Folders are scanned on a worker; the first entry added is shown as soon as it lands.
void VistrelController::takeIn(const std::vector<std::string>& paths) {
    m_intake.takeIn(paths);
}

bool VistrelController::applicationOpenFile(const std::string&) {
    return true;
}

// Queued behind any running intake like every other, so the GUI never waits for the
// scan and the entries land in the order the requests came.
void VistrelController::addRecursicveDirectoryInFilelist(const std::string& folder) {
    if (fileKindOf(folder) == FileKind::folder)
        m_intake.takeIn({folder}, FolderIntake::Showing::nothing);
}

// ---------------------------------------------------------------- showing an item

std::optional<std::size_t> VistrelController::currentEntryIndex() const {
    const FileList& list = m_play.fileList();
    const auto index = static_cast<std::size_t>(m_lActualIndex);
    if (m_lActualIndex >= 0 && index < list.size() && list[index].active)
        return index;
    for (std::size_t k = 0; k < list.size(); ++k)
        if (list[k].active)
            return k;
    return std::nullopt;
}

std::optional<std::string> VistrelController::getURL() {
    const auto current = currentEntryIndex();
    if (!current)
        return std::nullopt;
    m_lActualIndex = static_cast<std::int32_t>(*current);
    return m_play.fileList()[*current].path;
}

// The index and the mark are taken at once; the item follows from a worker, unless a
// newer request came first.
void VistrelController::playIt() {
    const auto path = getURL();
    if (!path)
        return;
    m_Movie.reset();
    requestItem(*path);
}

void VistrelController::requestItem(const std::string& path) {
    m_itemLoader.request(path, isPicturePath(path), pictureSizeNeeded(),
                         [this, path](const LoadedItem& item) { showLoaded(path, item); });
}

void VistrelController::showLoaded(const std::string& path, const LoadedItem& item) {
    noteShowOutcome(showItem(path, item));
    m_itemLoader.preload(neighbourPictures(), pictureSizeNeeded());
}

void VistrelController::noteShowOutcome(ShowOutcome outcome) {
    if (outcome == ShowOutcome::shown)
        m_unshownRun.shown();
    else if (outcome == ShowOutcome::unshown)
        passOverUnshown();
}

// Only a regular file (or a path that is gone, which the services report as unreadable)
// reaches a decoder: a FIFO or a device handed over directly would block.
VistrelController::ShowOutcome VistrelController::showItem(const std::string& path, const LoadedItem& item) {
    const FileKind kind = item.stamp.kind;
    if (kind != FileKind::regular && kind != FileKind::missing)
        return ShowOutcome::unshown;
    // A listed picture that does not decode is still tried as a movie of the same extension.
    if (isPicturePath(path) && showPicture(path, item.decoded))
        return ShowOutcome::shown;
    if (!containsType(m_qtTypes, paths::lowercaseAscii(paths::pathExtension(path))))
        return ShowOutcome::unshown;
    requestMovie(path);
    return ShowOutcome::pending;
}

bool VistrelController::showPicture(const std::string& path, const DecodedPicture& decoded) {
    if (!decoded.picture)
        return false;
    PictureView& view = m_services.movieView;
    // A picture without an orientation tag is stored upright; it must not inherit
    // the turn of the picture shown before it.
    view.setOrientation(decoded.orientation.value_or(uprightOrientation));
    view.setCiImage(decoded.picture);
    m_services.window.setMenuBarVisible(false);
    scale();
    view.setControllerVisible(false);
    m_recentDocuments.noteNewRecentDocumentURL(path);
    movieDidEnd();
    return true;
}

bool VistrelController::isPicturePath(const std::string& path) const {
    return containsType(m_cgiTypes, paths::lowercaseAscii(paths::pathExtension(path)));
}

Size VistrelController::pictureSizeNeeded() const {
    return pictureSizeForScreen(m_services.window.screenSize());
}

// Movies are never decoded ahead: opening one is costly and holds a player.
std::vector<std::string> VistrelController::neighbourPictures() const {
    const FileList& list = m_play.fileList();
    const auto current = currentEntryIndex();
    std::vector<std::string> neighbours;
    if (!current || list.size() < 2)
        return neighbours;
    for (const std::size_t offset : {std::size_t{1}, list.size() - 1}) {
        const std::string& path = list[(*current + offset) % list.size()].path;
        if (isPicturePath(path) && std::find(neighbours.begin(), neighbours.end(), path) == neighbours.end())
            neighbours.push_back(path);
    }
    return neighbours;
}

// The opening may finish at once or much later: by then the user may have stepped on,
// and the movie is dropped (which closes it) in favour of the newer request.
void VistrelController::requestMovie(const std::string& path) {
    m_services.movies.openMovie(path, [this, ticket = m_itemLoader.newestRequest(),
                                       path](std::shared_ptr<Movie> movie) {
        if (!ticket.isCurrent())
            return;
        noteShowOutcome(showMovie(path, std::move(movie)) ? ShowOutcome::shown : ShowOutcome::unshown);
    });
}

bool VistrelController::showMovie(const std::string& path, std::shared_ptr<Movie> movie) {
    if (!movie)
        return false;
    m_Movie = std::move(movie);
    PictureView& view = m_services.movieView;
    view.setControllerVisible(false);
    try {
        view.setMovie(m_Movie);
        m_services.window.setMenuBarVisible(false);
        scale();
        view.setEditable(true);
        view.setShowsResizeIndicator(false);
        view.play();
        m_recentDocuments.noteNewRecentDocumentURL(path);
    } catch (const std::exception&) {
        m_modals.showWarning("Error!", "Couldn't show file ...", "OK");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- navigation and slide show

void VistrelController::playNext(Sender*) {
    stepMark(+1);
}

void VistrelController::playPrevious(Sender*) {
    stepMark(-1);
}

// Moves the mark to the neighbour of the current entry, wrapping at both ends, and shows it.
void VistrelController::stepMark(int direction) {
    const auto count = static_cast<std::int64_t>(m_play.fileList().size());
    if (count == 0)
        return;
    if (count == 1) {
        playIt();
        return;
    }
    const auto current = currentEntryIndex();
    if (!current)
        return;
    const auto next =
        static_cast<std::size_t>((static_cast<std::int64_t>(*current) + direction + count) % count);
    m_play.markOnly(next);
    m_lActualIndex = static_cast<std::int32_t>(next);
    playIt();
}

// An item a slide show cannot show is passed over after the interval like a shown one;
// otherwise the show would halt there without a word.
void VistrelController::passOverUnshown() {
    if (!m_bLoopModus)
        return;
    if (m_unshownRun.completesRound(m_play.fileList().size()))
        stopLoop();
    else
        movieDidEnd();
}

void VistrelController::setLoopMode(Sender* sender) {
    m_bLoopModus = !m_bLoopModus;
    m_unshownRun.restart();
    if (sender)
        sender->setState(m_bLoopModus ? 1 : 0);
    loopModusChanged.notify(m_bLoopModus);
    if (!m_bLoopModus)
        cancelPendingAdvance();
    m_services.cinfo.showText(m_bLoopModus ? "Start Loop" : "Stop Loop", announcementDuration);
    movieDidEnd();
}

// At most one advance is pending: a new one replaces the old.
void VistrelController::movieDidEnd() {
    if (!m_bLoopModus)
        return;
    cancelPendingAdvance();
    m_timerLoopMode = m_services.scheduler.scheduleOnce(static_cast<double>(m_sleep), [this] {
        m_timerLoopMode = Scheduler::noTimer;
        m_modals.whenFree([this] { advanceSlideShow(); });
    });
}

// An advance held under a modal may come due after the show was switched off.
void VistrelController::advanceSlideShow() {
    if (m_bLoopModus)
        playNext(nullptr);
}

void VistrelController::stopLoop(Sender*) {
    m_bLoopModus = false;
    loopModusChanged.notify(false);
    cancelPendingAdvance();
    m_services.cinfo.showText("Stop Loop", announcementDuration);
}

void VistrelController::loop(Sender*) {
    playIt();
}

void VistrelController::cancelPendingAdvance() {
    m_services.scheduler.cancel(m_timerLoopMode);
    m_timerLoopMode = Scheduler::noTimer;
}

// ---------------------------------------------------------------- playback controls

void VistrelController::movieFaster(Sender*) {
    stepRate(rateStep);
}

void VistrelController::movieSlower(Sender*) {
    stepRate(-rateStep);
}

// The stepped rate lives in 64 bits; the movie plays the 32-bit rounding of it and
// the overlay shows what the movie reports back.
void VistrelController::stepRate(double step) {
    if (!m_Movie)
        return;
    m_rate += step;
    m_Movie->setRate(static_cast<float>(m_rate));
    m_services.cinfo.showPercent(static_cast<double>(m_Movie->rate()) * 100.0, "Rate: ", feedbackDuration);
}

void VistrelController::movieNormal(Sender*) {
    if (!m_Movie)
        return;
    m_Movie->setRate(1.0f);
    m_Movie->setVolume(fullVolume);
}

void VistrelController::movieVolumePlus(Sender*) {
    stepVolume(volumeStep);
}

void VistrelController::movieVolumeMinus(Sender*) {
    stepVolume(-volumeStep);
}

void VistrelController::stepVolume(int step) {
    if (!m_Movie)
        return;
    const std::int16_t volume = playback::steppedVolume(m_Movie->volume(), step);
    m_services.cinfo.showPercent(playback::volumePercent(volume), "Volume: ", feedbackDuration);
    m_Movie->setVolume(volume);
}

void VistrelController::movieSkip01(Sender*) {
    movieSkip(200, 1);
}
void VistrelController::movieSkip1(Sender*) {
    movieSkip(50, 1);
}
void VistrelController::movieSkip10(Sender*) {
    movieSkip(20, 1);
}
void VistrelController::movieSkipm01(Sender*) {
    movieSkip(200, -1);
}
void VistrelController::movieSkipm1(Sender*) {
    movieSkip(50, -1);
}
void VistrelController::movieSkipm10(Sender*) {
    movieSkip(20, -1);
}

void VistrelController::movieSkip(std::int32_t divisor, std::int32_t vorzeichen) {
    if (!m_Movie || divisor == 0)
        return;
    const MovieTime duration = m_Movie->duration();
    const std::int64_t position = playback::valueInScale(m_Movie->currentTime(), duration.scale);
    const std::int64_t target = playback::jumpTarget(duration.value, position, divisor, vorzeichen);
    m_services.cinfo.showPercent(playback::positionPercent(target, duration.value),
                                 "Position: ", feedbackDuration);
    m_Movie->setCurrentTime(MovieTime{target, duration.scale});
}

void VistrelController::stopCont(Sender*) {
    if (!m_Movie)
        return;
    if (m_Movie->isPlaying())
        m_Movie->stop();
    else
        m_Movie->play();
}

void VistrelController::movieToggleMenu(Sender*) {
    m_services.window.setMenuBarVisible(!m_services.window.menuBarVisible());
}

void VistrelController::mouseEntered() {
    if (!m_services.window.menuBarVisible())
        movieToggleMenu(nullptr);
}

void VistrelController::movieToggleControl(Sender*) {
    PictureView& view = m_services.movieView;
    const bool wasVisible = view.isControllerVisible();
    view.setControllerVisible(!wasVisible);
    view.setFirstResponder(wasVisible);
    if (wasVisible)
        m_services.window.makeViewFirstResponder();
    scale();
    view.play();
}

// ---------------------------------------------------------------- geometry and placement

// The natural size of the item on screen as it is displayed: a movie's own size, or
// the picture's turned by its orientation. Nothing on screen, or an item without a
// picture (a sound-only movie), leaves the view as it is.
void VistrelController::scale() {
    Size natural;
    if (m_Movie) {
        natural = m_Movie->naturalSize();
    } else {
        const auto picture = m_services.movieView.ciImage();
        if (!picture)
            return;
        natural = OrientationTransform::displayedSize(picture->extent(), m_services.movieView.orientation());
    }
    Rect frame;
    if (layoutItem(natural, m_services.window.screenSize(), m_geometry, frame))
        m_services.movieView.setFrame(frame);
}

void VistrelController::setScaleX(float value) {
    m_geometry.scaleX = value;
    scale();
}

void VistrelController::setScaleY(float value) {
    m_geometry.scaleY = value;
    scale();
}

void VistrelController::setPosX(float value) {
    m_geometry.posX = value;
    scale();
}

void VistrelController::setPosY(float value) {
    m_geometry.posY = value;
    scale();
}

void VistrelController::setPosXY(float x, float y) {
    m_geometry.posX = x;
    m_geometry.posY = y;
    scale();
}

void VistrelController::movieMoveX(Sender*) {
    setPosX(addStep(posX(), placementStep));
}
void VistrelController::movieMoveMX(Sender*) {
    setPosX(addStep(posX(), -placementStep));
}
void VistrelController::movieMoveY(Sender*) {
    setPosY(addStep(posY(), placementStep));
}
void VistrelController::movieMoveMY(Sender*) {
    setPosY(addStep(posY(), -placementStep));
}
void VistrelController::movieScale(Sender*) {
    setScaleX(multiplyStep(scaleX(), growFactor));
}
void VistrelController::movieScaleM(Sender*) {
    setScaleX(multiplyStep(scaleX(), shrinkFactor));
}
void VistrelController::movieScaleY(Sender*) {
    setScaleY(multiplyStep(scaleY(), growFactor));
}
void VistrelController::movieScaleYM(Sender*) {
    setScaleY(multiplyStep(scaleY(), shrinkFactor));
}

void VistrelController::setTransparency(float alpha) {
    m_services.window.setOpacity(alpha);
}

void VistrelController::setDeskMovie(bool onDesktop) {
    m_services.window.setDesktopLevel(onDesktop);
}

// ---------------------------------------------------------------- status display

void VistrelController::showInfo(Sender*) {
    const auto count = static_cast<int>(m_play.fileList().size());
    if (m_Movie) {
        m_services.cinfo.showText(statusText::movieSummary(*m_Movie, m_lActualIndex + 1, count),
                                  announcementDuration);
        return;
    }
    const auto path = getURL();
    if (!path)
        return;
    const PictureInfo info = m_services.pictures.inspect(*path);
    if (info.status == PictureStatus::notAPicture)
        return;
    m_services.cinfo.showText(
        statusText::pictureSummary(paths::lastPathComponent(*path), info, m_lActualIndex + 1, count),
        announcementDuration);
}

// ---------------------------------------------------------------- frame capture and picture series

void VistrelController::saveDocument(Sender*) {
    m_frameWriter.saveFrame(frameOnScreen(), FrameWriter::WhenBusy::queue);
}

FrameSource VistrelController::frameOnScreen() {
    const PictureView& view = m_services.movieView;
    return FrameSource{m_imagePath, m_imageCompression, getURL(), m_Movie, m_Movie ? nullptr : view.ciImage(),
                       view.orientation()};
}

void VistrelController::makePictures(Sender*) {
    m_series.showPanel();
}
void VistrelController::startMakingPictures(Sender*) {
    m_series.start();
}
void VistrelController::stopMakingPictures(Sender*) {
    m_series.stop();
}
void VistrelController::cancelMakingPictures(Sender*) {
    m_series.closePanel();
}

// ---------------------------------------------------------------- services and help

VistrelController* VistrelController::validRequestorForSendType(const std::string& sendType,
                                                                 const std::string& returnType) {
    return FramePasteboard::servesTypes(sendType, returnType) ? this : nullptr;
}

bool VistrelController::writeSelectionToPasteboard(const std::vector<std::string>& types) {
    return m_framePasteboard.writeSelection(types, m_Movie);
}

void VistrelController::copyFrame(Sender*) {
    writeSelectionToPasteboard({FramePasteboard::tiffType, FramePasteboard::pngType});
}
void VistrelController::registerServicesMenuSendTypes(std::vector<std::string> sendTypes,
                                                      std::vector<std::string> returnTypes) {
    m_servicesSendTypes = std::move(sendTypes);
    m_servicesReturnTypes = std::move(returnTypes);
}

// A missing document starts the opener with nothing to open, which shows nothing.
void VistrelController::showHelp(Sender*) {
    m_services.opener.open(m_services.opener.resourcePath(helpDocument));
}

// ---------------------------------------------------------------- play list window and files

void VistrelController::showList(Sender*) {
    m_services.windows.showPlaylistWindow();
}
void VistrelController::saveList(Sender*) {
    m_playlistFiles.saveList();
}

void VistrelController::openList(Sender*) {
    m_playlistFiles.openList();
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
