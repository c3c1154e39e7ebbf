#pragma once

#include <thread>

namespace vistrel {

// Reads what the start-up will need but does not need first, on a thread of its own
// while the application object and the windows are built: the font configuration
// (fontconfig parses its XML files and maps its caches, some ten milliseconds) and the
// MIME database the lists of file types come from. Whoever gets there first finds it
// loaded, or waits for the load already under way. Joined when destroyed.
class StartUpWarmUp {
  public:
    StartUpWarmUp();
    ~StartUpWarmUp();
    StartUpWarmUp(const StartUpWarmUp&) = delete;
    StartUpWarmUp& operator=(const StartUpWarmUp&) = delete;

  private:
    std::thread m_thread;
};

} // namespace vistrel
