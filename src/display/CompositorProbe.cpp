#include "display/CompositorProbe.h"

#include <QGuiApplication>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vistrel {

namespace {

#if QT_CONFIG(xcb)
template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

bool x11SelectionHasOwner(xcb_connection_t* connection, const char* selection) {
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(selection)), selection);
    const XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(connection, atomCookie, nullptr),
                                                 &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false; // nobody ever named it, so nobody owns it
    const xcb_get_selection_owner_cookie_t ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr), &std::free);
    return owner && owner->owner != XCB_NONE;
}
#endif

} // namespace

bool CompositorProbe::isWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool CompositorProbe::hasCompositingManager() {
    if (isWayland())
        return true;
    const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
    if (platform == QLatin1String("xcb")) {
        const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        return x11 && x11->connection() && x11SelectionHasOwner(x11->connection(), "_NET_WM_CM_S0");
    }
#endif
    return false;
}

} // namespace vistrel
