#include "app/CaptureLog.h"

#include "capture/FrameWriter.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCapture, "vistrel.capture", QtWarningMsg)

namespace vistrel {

CaptureLog::CaptureLog(FrameWriter& writer)
    : m_reports(writer.frameFinished.connect([](const FrameReport& report) {
          if (report.outcome != FrameOutcome::written)
              qCWarning(lcCapture) << "frame not written:" << QString::fromStdString(report.reason);
      })) {}

} // namespace vistrel
