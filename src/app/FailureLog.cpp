#include "app/FailureLog.h"

#include "core/capture/FrameWriter.h"
#include "media/support/LogCategories.h"

namespace vistrel {

FailureLog::FailureLog(Signal<FrameReport>& frames, Signal<std::string>& playlistFiles,
                       Signal<std::string>& intake)
    : m_frames(frames.connect([](const FrameReport& report) {
          if (report.outcome != FrameOutcome::written)
              qCWarning(lcCapture) << "frame not written:" << QString::fromStdString(report.reason);
          else if (!report.reason.empty())
              qCWarning(lcCapture) << "frame written:" << QString::fromStdString(report.reason);
      })),
      m_playlists(playlistFiles.connect([](const std::string& reason) {
          qCWarning(lcPlaylist) << "play list file:" << QString::fromStdString(reason);
      })),
      m_intake(intake.connect([](const std::string& reason) {
          // Names are native bytes: shown as the file system would decode them.
          qCWarning(lcIntake) << QString::fromLocal8Bit(reason.data(), static_cast<qsizetype>(reason.size()));
      })) {}

} // namespace vistrel
