#pragma once

#include <string>

namespace vistrel {

// How one attempt to write a frame ended. Every outcome but `written` and
// `platformFailure` was shown to the user as an alert, which had been dismissed when the
// report goes out.
enum class FrameOutcome {
    written,
    platformFailure, // the encoder gave up: ended without a message, a series goes on
    noImagePath,     // no folder chosen
    imageError,      // no frame on screen, no name for it, or the picture would not decode
    fileExists,      // something already has the name; it was left untouched
    writeFailed,     // nothing was written (no JPEG data, no folder, no room, no permission)
};

struct FrameReport {
    FrameOutcome outcome = FrameOutcome::written;
    std::string fileName; // the name formed for the frame; empty when none was formed
    std::string fullPath;
    std::string reason; // why it failed (or what was written instead), for the log
};

} // namespace vistrel
