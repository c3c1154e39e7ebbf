#pragma once

#include "events/Signal.h"

namespace vistrel {

class FrameWriter;

// Writes why a frame was not written to the log ("vistrel.capture"); the user only
// sees the alert's short text.
class CaptureLog {
  public:
    explicit CaptureLog(FrameWriter& writer);

  private:
    Connection m_reports;
};

} // namespace vistrel
