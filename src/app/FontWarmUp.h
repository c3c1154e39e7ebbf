#pragma once

#include <thread>

namespace vistrel {

// Reads the font configuration (fontconfig parses its XML files and maps its caches,
// some ten milliseconds) on a thread of its own while the application starts, so the
// first window that measures text finds it loaded instead of waiting for it. Joined
// when destroyed.
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

  private:
    std::thread m_thread;
};

} // namespace vistrel
