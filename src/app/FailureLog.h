#pragma once

#include "core/events/Signal.h"

#include <string>

namespace vistrel {

struct FrameReport;

// Writes why something the user asked for failed to the log: a frame not written
// ("vistrel.capture"), a play list not saved or loaded ("vistrel.playlist"), a folder
// a scan had to skip ("vistrel.intake"). The user only sees the alert's short text.
class FailureLog {
  public:
    // How each frame ended, and why a play list file or a folder failed.
    FailureLog(Signal<FrameReport>& frames, Signal<std::string>& playlistFiles, Signal<std::string>& intake);

  private:
    Connection m_frames;
    Connection m_playlists;
    Connection m_intake;
};

} // namespace vistrel
