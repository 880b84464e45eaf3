#include "DetectableAutoRepeat.h"

#include "X11Connection.h"

#include <xcb/xcb.h>
// xkb.h names a struct member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

void enableDetectableAutoRepeat()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;

    // The server takes per-client flags only from a client that has negotiated XKB itself.
    const xcb_xkb_use_extension_cookie_t use
        = xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
    std::free(xcb_xkb_use_extension_reply(connection, use, nullptr));

    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    const xcb_xkb_per_client_flags_cookie_t cookie
        = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
    std::free(xcb_xkb_per_client_flags_reply(connection, cookie, nullptr));
}
