#pragma once

#include "core/geometry/Geometry.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

struct xcb_connection_t;

namespace vistrel {

// The size of the screen the toolkit will call primary, asked of the X server directly,
// before the toolkit has connected: the first picture can then start decoding for that
// screen while the application object is still being made.
//
// The probe's connection stays open until toolkitConnected(): an X server whose last
// client leaves resets itself, and would turn the toolkit away while it does (a bare
// server with no window manager, as a kiosk runs). Thread-safe.
class XScreenProbe {
  public:
    XScreenProbe();
    ~XScreenProbe();
    XScreenProbe(const XScreenProbe&) = delete;
    XScreenProbe& operator=(const XScreenProbe&) = delete;

    // Nothing when the toolkit may not draw on X with unscaled pixels, or when there is
    // no X server to ask. A wrong answer costs only the head start.
    std::optional<Size> primaryScreenSize();

    // The toolkit has its own connection now; the probe's may close.
    void toolkitConnected();

    // Reads one environment variable: null when it is not set.
    using Environment = std::function<const char*(const char* name)>;
    // Whether the toolkit will draw on X, by the environment: not in a Wayland session
    // unless X is named, nor when another platform is named, nor when a scale factor or
    // font resolution is set that would scale the screen's pixels.
    static bool toolkitUsesUnscaledX(const Environment& environment);

    // The font resolution the X resource database `resources` sets (Xft.dpi), which
    // the toolkit scales by; nothing when it sets none or an unreadable one.
    static std::optional<double> fontDpi(std::string_view resources);

  private:
    using Connection = std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)>;

    std::mutex m_mutex;
    Connection m_connection;
    bool m_toolkitConnected = false;
};

} // namespace vistrel
