#pragma once

#include <future>

namespace vistrel {

class Executor;

// Reads what the start-up will need but does not need first, on the executor while the
// application object and the windows are built: the font configuration (fontconfig
// parses its XML files and maps its caches, some ten milliseconds) and the MIME
// database the lists of file types come from. Whoever gets there first finds it
// loaded, or waits for the load already under way. Waits for the task when destroyed.
class StartUpWarmUp {
  public:
    explicit StartUpWarmUp(Executor& executor);
    ~StartUpWarmUp();
    StartUpWarmUp(const StartUpWarmUp&) = delete;
    StartUpWarmUp& operator=(const StartUpWarmUp&) = delete;

  private:
    std::future<void> m_done;
};

} // namespace vistrel
