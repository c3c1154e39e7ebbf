#pragma once

#include "core/capture/FrameReport.h"
#include "core/capture/FrameSource.h"
#include "core/events/Signal.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace vistrel {

class Alerts;
class BackgroundWork;
class FullSizePictures;
class PictureService;

// Writes the frame on screen as a numbered JPEG file, "<base>_<number>.jpg", where the
// base is the current entry's file name without its extension and the number counts
// every name formed during the run (at least five digits).
//
// The frame is taken on the GUI thread at the moment it is asked for: a movie's is its
// current frame; a picture is the one on screen, at its full stored size (decoded again
// on the decode road's capture lane, `FullSizePictures`, when the screen holds a smaller
// decode). Decoding, JPEG
// encoding and writing run in the background, one frame at a time, so the files, the
// alerts and the numbers come in the order the frames were asked for. A file that
// exists is never replaced, and a file is written whole or not at all.
class FrameWriter {
  public:
    // What happens to a frame asked for while another one is still being written.
    enum class WhenBusy {
        queue, // written after it (a frame the user asked for)
        skip,  // not taken at all (a series tick: a late frame is worth less than a steady beat)
    };

    FrameWriter(Alerts& alerts, PictureService& pictures, BackgroundWork& work, FullSizePictures& fullSize);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    void saveFrame(const FrameSource& source, WhenBusy whenBusy);

    // The number the next file name gets.
    std::int32_t fileIndex() const { return m_fileIndex; }
    // True from a frame being taken until its report went out, alerts included.
    bool busy() const { return m_busy; }

    // Every attempt's end, on the GUI thread, after its alert (if any) was dismissed.
    Signal<FrameReport> frameFinished;

    // "Clip.part1.mov" -> "Clip.part1"; empty when the path names no file.
    static std::string baseName(const std::string& itemPath);
    // "Clip_00007.jpg"; six digits and more once the number needs them.
    static std::string fileName(const std::string& baseName, std::int32_t number);

  private:
    struct Job {
        FrameSource source;
        std::shared_ptr<Picture> movieFrame; // taken when the frame was asked for
    };

    void startNext();
    void process(const Job& job);
    void writeFullSize(const Job& job, const std::string& base);
    void write(const Job& job, const std::string& base, std::shared_ptr<Picture> frame, int orientation,
               std::string note = {});
    void finish(FrameReport report);
    void alert(const FrameReport& report);

    Alerts& m_alerts;
    PictureService& m_pictures;
    FullSizePictures& m_fullSize;
    BackgroundWork& m_work;
    std::deque<Job> m_waiting;
    std::int32_t m_fileIndex = 0;
    bool m_busy = false;
    // Finishing steps of background work hold it weakly: a writer that is gone ignores them.
    std::shared_ptr<FrameWriter*> m_self;
};

} // namespace vistrel
