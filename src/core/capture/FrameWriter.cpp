#include "core/capture/FrameWriter.h"

#include "core/files/AtomicFile.h"
#include "core/media/Movie.h"
#include "core/media/Picture.h"
#include "core/media/PictureService.h"
#include "core/platform/Alerts.h"
#include "core/platform/BackgroundWork.h"
#include "core/playlist/PathComponents.h"
#include "core/show/FullSizePictures.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace vistrel {

namespace {

constexpr int uprightOrientation = 1;

bool somethingExistsAt(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Encodes and writes on a worker; fills in the outcome and the reason of `report`.
void encodeAndCreate(PictureService& pictures, const Picture& frame, float compression, int orientation,
                     FrameReport& report) {
    std::vector<std::uint8_t> jpeg;
    try {
        jpeg = pictures.jpegData(frame, compression, orientation);
    } catch (const std::exception& error) {
        // The platform gave up: the attempt ends quietly and a series goes on.
        report.outcome = FrameOutcome::platformFailure;
        report.reason = std::string("JPEG encoding failed: ") + error.what();
        return;
    }
    if (jpeg.empty()) {
        // A name that is taken is reported first, as for any other write.
        const bool taken = somethingExistsAt(report.fullPath);
        report.outcome = taken ? FrameOutcome::fileExists : FrameOutcome::writeFailed;
        if (report.reason.empty())
            report.reason = "no JPEG data for " + report.fullPath;
        return;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
    switch (atomicfile::createNew(report.fullPath, bytes)) {
    case atomicfile::Result::written:
        report.outcome = FrameOutcome::written;
        break;
    case atomicfile::Result::exists:
        report.outcome = FrameOutcome::fileExists;
        report.reason = report.fullPath + " already exists";
        break;
    case atomicfile::Result::failed:
        report.outcome = FrameOutcome::writeFailed;
        report.reason = atomicfile::lastError();
        break;
    }
}

} // namespace

FrameWriter::FrameWriter(Alerts& alerts, PictureService& pictures, BackgroundWork& work,
                         FullSizePictures& fullSize)
    : m_alerts(alerts), m_pictures(pictures), m_fullSize(fullSize), m_work(work),
      m_self(std::make_shared<FrameWriter*>(this)) {}

FrameWriter::~FrameWriter() = default;

std::string FrameWriter::baseName(const std::string& itemPath) {
    std::string name = paths::lastPathComponent(itemPath);
    if (name.find('/') != std::string::npos)
        return {};
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::string FrameWriter::fileName(const std::string& baseName, std::int32_t number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", static_cast<int>(number));
    return baseName + "_" + digits + ".jpg";
}

void FrameWriter::saveFrame(const FrameSource& source, WhenBusy whenBusy) {
    if (m_busy && whenBusy == WhenBusy::skip)
        return;
    Job job{source, nullptr};
    // The frame on screen now, not when its turn comes.
    if (!source.imagePath.empty() && source.movie)
        job.movieFrame = source.movie->currentFrameImage();
    m_waiting.push_back(std::move(job));
    if (!m_busy)
        startNext();
}

void FrameWriter::startNext() {
    if (m_waiting.empty())
        return;
    m_busy = true;
    const Job job = std::move(m_waiting.front());
    m_waiting.pop_front();
    process(job);
}

void FrameWriter::process(const Job& job) {
    if (job.source.imagePath.empty()) {
        finish({FrameOutcome::noImagePath, {}, {}, "no folder for frames is set"});
        return;
    }
    const std::string base = job.source.itemPath ? baseName(*job.source.itemPath) : std::string();
    if (base.empty()) {
        finish({FrameOutcome::imageError, {}, {}, "the current entry names no file"});
        return;
    }
    if (job.source.movie) {
        if (!job.movieFrame) {
            finish({FrameOutcome::imageError, {}, {}, "the movie has no frame to capture"});
            return;
        }
        // Movie frames are captured upright, at the movie's own size.
        write(job, base, job.movieFrame, uprightOrientation);
        return;
    }
    const std::shared_ptr<Picture>& shown = job.source.picture;
    if (!shown) {
        finish({FrameOutcome::imageError, {}, {}, "nothing is shown"});
        return;
    }
    if (shown->holdsEveryStoredPixel() || shown->sourcePath().empty()) {
        write(job, base, shown, job.source.orientation);
        return;
    }
    writeFullSize(job, base);
}

// The picture on screen was decoded smaller for the screen: its file is decoded again
// whole. Should that fail (the file changed or went away since), the picture as shown
// is written. The number is only used up once there is a frame.
void FrameWriter::writeFullSize(const Job& job, const std::string& base) {
    m_fullSize.decodeFullSize(job.source.picture->sourcePath(),
                              [self = std::weak_ptr<FrameWriter*>(m_self), job,
                               base](std::shared_ptr<Picture> whole, std::string failure) {
                                  const auto alive = self.lock();
                                  if (!alive)
                                      return;
                                  FrameWriter& writer = **alive;
                                  if (whole) {
                                      writer.write(job, base, std::move(whole), job.source.orientation);
                                      return;
                                  }
                                  writer.write(job, base, job.source.picture, job.source.orientation,
                                               failure + "; wrote the picture as shown");
                              });
}

void FrameWriter::write(const Job& job, const std::string& base, std::shared_ptr<Picture> frame,
                        int orientation, std::string note) {
    FrameReport report;
    report.reason = std::move(note);
    report.fileName = fileName(base, m_fileIndex);
    ++m_fileIndex;
    report.fullPath = paths::appendingPathComponent(job.source.imagePath, report.fileName);

    std::weak_ptr<FrameWriter*> self = m_self;
    PictureService& pictures = m_pictures;
    const float compression = job.source.imageCompression;
    m_work.run(
        [self, &pictures, frame = std::move(frame), compression, orientation,
         report = std::move(report)]() mutable -> BackgroundWork::Finish {
            encodeAndCreate(pictures, *frame, compression, orientation, report);
            return [self, report = std::move(report)] {
                if (const auto alive = self.lock())
                    (*alive)->finish(report);
            };
        },
        WorkPriority::capture);
}

// Stays busy while the alert is up: series ticks arriving under a modal alert are skipped.
void FrameWriter::finish(FrameReport report) {
    alert(report);
    frameFinished.notify(report);
    m_busy = false;
    startNext();
}

void FrameWriter::alert(const FrameReport& report) {
    switch (report.outcome) {
    case FrameOutcome::written:
    case FrameOutcome::platformFailure:
        return;
    case FrameOutcome::noImagePath:
        m_alerts.showWarning("No Image Path!", "Please choose an Image Path in the Preferences");
        return;
    case FrameOutcome::imageError:
        m_alerts.showWarning("Image Error!", "Couldn't produce JPG...");
        return;
    case FrameOutcome::fileExists:
        m_alerts.showWarning("File Error!", "Didn't write File " + report.fullPath + ", it already exists!");
        return;
    case FrameOutcome::writeFailed:
        m_alerts.showWarning("File Error!", "Couldn't write File...");
        return;
    }
}

} // namespace vistrel
