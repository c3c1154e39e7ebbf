#pragma once

#include "core/capture/FramePasteboard.h"
#include "core/capture/FrameWriter.h"
#include "core/capture/PictureSeries.h"
#include "core/events/Signal.h"

#include <string>
#include <vector>

namespace vistrel {

class AuxiliaryWindows;
class BackgroundWork;
class ModalGuard;
class Pasteboard;
class PictureService;
class PictureView;
class Scheduler;
class ShowingSession;
class ShownMovie;

// The services capture reaches the world through.
struct CapturePorts {
    Scheduler& scheduler;
    BackgroundWork& work;
    PictureService& pictures;
    Pasteboard& pasteboard;
    // The series panel.
    AuxiliaryWindows& windows;
    ModalGuard& modals;
};

// Taking the item on screen out of the viewer: single frames and timed series written
// to the frame folder, and the movie frame on the clipboard.
class Capture {
  public:
    Capture(CapturePorts ports, const PictureView& view, const ShownMovie& movie, ShowingSession& session);

    const std::string& imagePath() const { return m_imagePath; }
    void setImagePath(const std::string& path) { m_imagePath = path; }
    float imageCompression() const { return m_imageCompression; }
    void setImageCompression(float factor) { m_imageCompression = factor; }

    // Writes the frame on screen; the file, its alert and its number follow in the background.
    void saveFrame();
    bool writeSelectionToPasteboard(const std::vector<std::string>& types);
    // The movie frame on the clipboard as TIFF and PNG.
    void copyFrame();
    // The clipboard types offered to and taken from other programs, fixed at start-up.
    void registerPasteboardTypes(std::vector<std::string> sendTypes, std::vector<std::string> returnTypes);
    const std::vector<std::string>& sendTypes() const { return m_sendTypes; }
    const std::vector<std::string>& returnTypes() const { return m_returnTypes; }

    PictureSeries& series() { return m_series; }
    const PictureSeries& series() const { return m_series; }
    FrameWriter& frameWriter() { return m_frameWriter; }
    const FrameWriter& frameWriter() const { return m_frameWriter; }

  private:
    FrameSource frameOnScreen();

    const PictureView& m_view;
    const ShownMovie& m_movie;
    ShowingSession& m_session;
    FrameWriter m_frameWriter;
    FramePasteboard m_framePasteboard;
    PictureSeries m_series;
    Connection m_seriesHearsFrames;
    std::string m_imagePath;
    float m_imageCompression = 0.2f;
    std::vector<std::string> m_sendTypes;
    std::vector<std::string> m_returnTypes;
};

} // namespace vistrel
