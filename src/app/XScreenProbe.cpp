#include "app/XScreenProbe.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vistrel {

namespace {

template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

constexpr double unscaledDpi = 96.0;

bool isSet(const char* value) {
    return value && *value;
}

xcb_screen_t* screenNumbered(xcb_connection_t* connection, int number) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; screens.rem > 0; --number, xcb_screen_next(&screens))
        if (number == 0)
            return screens.data;
    return nullptr;
}

std::optional<double> resourceDpi(xcb_connection_t* connection, xcb_window_t root) {
    constexpr std::uint32_t longestResources = 1 << 20; // in 4-byte units
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, root, XCB_ATOM_RESOURCE_MANAGER,
                                                              XCB_ATOM_STRING, 0, longestResources);
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply)
        return std::nullopt;
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return XScreenProbe::fontDpi(std::string_view(text, std::size_t(xcb_get_property_value_length(reply.get()))));
}

// The monitor marked primary, else the first, as the toolkit picks them; nothing when
// the server has no monitor list (RandR before 1.5), whose root size then stands.
std::optional<Size> primaryMonitorSize(xcb_connection_t* connection, xcb_window_t root) {
    const XcbReply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(connection, xcb_randr_query_version(connection, 1, 5), nullptr), &std::free);
    if (!version || version->major_version < 1 || (version->major_version == 1 && version->minor_version < 5))
        return std::nullopt;
    const XcbReply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(connection, xcb_randr_get_monitors(connection, root, 1), nullptr), &std::free);
    if (!monitors)
        return std::nullopt;
    std::optional<Size> chosen;
    for (auto each = xcb_randr_get_monitors_monitors_iterator(monitors.get()); each.rem > 0;
         xcb_randr_monitor_info_next(&each)) {
        const Size size{float(each.data->width), float(each.data->height)};
        if (each.data->primary)
            return size;
        if (!chosen)
            chosen = size;
    }
    return chosen;
}

} // namespace

bool XScreenProbe::toolkitUsesUnscaledX(const Environment& environment) {
    const char* platform = environment("QT_QPA_PLATFORM");
    if (isSet(platform)) {
        if (std::strncmp(platform, "xcb", 3) != 0)
            return false;
    } else {
        const char* session = environment("XDG_SESSION_TYPE");
        if (isSet(environment("WAYLAND_DISPLAY")) || (session && std::strcmp(session, "wayland") == 0))
            return false;
    }
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_USE_PHYSICAL_DPI",
                                "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        if (isSet(environment(scaling)))
            return false;
    return isSet(environment("DISPLAY"));
}

std::optional<double> XScreenProbe::fontDpi(std::string_view resources) {
    constexpr std::string_view name = "Xft.dpi:";
    for (std::size_t line = 0; line < resources.size();) {
        std::size_t end = resources.find('\n', line);
        if (end == std::string_view::npos)
            end = resources.size();
        std::string_view entry = resources.substr(line, end - line);
        line = end + 1;
        if (!entry.starts_with(name))
            continue;
        entry.remove_prefix(name.size());
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
            entry.remove_prefix(1);
        double dpi = 0.0;
        const auto [rest, error] = std::from_chars(entry.data(), entry.data() + entry.size(), dpi);
        if (error != std::errc() || dpi <= 0.0)
            return std::nullopt;
        return dpi;
    }
    return std::nullopt;
}

XScreenProbe::XScreenProbe() : m_connection(nullptr, &xcb_disconnect) {}

XScreenProbe::~XScreenProbe() = default;

void XScreenProbe::toolkitConnected() {
    const std::lock_guard lock(m_mutex);
    m_toolkitConnected = true;
    m_connection.reset();
}

std::optional<Size> XScreenProbe::primaryScreenSize() {
    if (!toolkitUsesUnscaledX([](const char* name) { return std::getenv(name); }))
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    int screenNumber = 0;
    m_connection.reset(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* connection = m_connection.get();
    std::optional<Size> size;
    if (!xcb_connection_has_error(connection))
        if (const xcb_screen_t* screen = screenNumbered(connection, screenNumber)) {
            const std::optional<double> dpi = resourceDpi(connection, screen->root);
            if (!dpi || *dpi == unscaledDpi)
                size = primaryMonitorSize(connection, screen->root)
                           .value_or(Size{float(screen->width_in_pixels), float(screen->height_in_pixels)});
        }
    if (m_toolkitConnected)
        m_connection.reset();
    return size;
}

} // namespace vistrel
