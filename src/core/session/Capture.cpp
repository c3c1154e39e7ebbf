#include "core/session/Capture.h"

#include "core/controller/ModalGuard.h"
#include "core/session/ShowingSession.h"
#include "core/session/ShownMovie.h"
#include "core/view/PictureView.h"

#include <utility>

namespace vistrel {

Capture::Capture(CapturePorts ports, const PictureView& view, const ShownMovie& movie,
                 ShowingSession& session)
    : m_view(view), m_movie(movie), m_session(session),
      m_frameWriter(ports.modals, ports.pictures, ports.work, session.fullSizePictures()),
      m_framePasteboard(ports.pasteboard, ports.pictures, ports.work),
      m_series(ports.scheduler, ports.windows,
               [this] { m_frameWriter.saveFrame(frameOnScreen(), FrameWriter::WhenBusy::skip); }),
      m_seriesHearsFrames(m_frameWriter.frameFinished.connect(
          [this](const FrameReport& report) { m_series.frameFinished(report); })) {}

void Capture::saveFrame() {
    m_frameWriter.saveFrame(frameOnScreen(), FrameWriter::WhenBusy::queue);
}

FrameSource Capture::frameOnScreen() {
    const auto& movie = m_movie.get();
    return FrameSource{m_imagePath,
                       m_imageCompression,
                       m_session.currentPath(),
                       movie,
                       movie ? nullptr : m_view.ciImage(),
                       m_view.orientation()};
}

bool Capture::writeSelectionToPasteboard(const std::vector<std::string>& types) {
    return m_framePasteboard.writeSelection(types, m_movie.get());
}

void Capture::copyFrame() {
    writeSelectionToPasteboard({FramePasteboard::tiffType, FramePasteboard::pngType});
}

void Capture::registerPasteboardTypes(std::vector<std::string> sendTypes,
                                      std::vector<std::string> returnTypes) {
    m_sendTypes = std::move(sendTypes);
    m_returnTypes = std::move(returnTypes);
}

} // namespace vistrel
