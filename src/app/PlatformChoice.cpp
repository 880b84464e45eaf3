#include "PlatformChoice.h"

#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstring>

namespace PlatformChoice {

Session currentSession(int argc, char** argv)
{
    Session session;
    session.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    session.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    session.sessionType = qgetenv("XDG_SESSION_TYPE");
    session.display = qgetenv("DISPLAY");
    for (int i = 1; i < argc; ++i) {
        // Qt reads both spellings of its own option.
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            session.platformArgument = true;
    }
    return session;
}

bool shouldUseX11(const Session& session, const std::function<bool(const QByteArray& display)>& xServerReachable)
{
    if (!session.qpaPlatform.isEmpty() || session.platformArgument)
        return false;
    const bool wayland = !session.waylandDisplay.isEmpty() || session.sessionType == "wayland";
    if (!wayland || session.display.isEmpty())
        return false;
    return xServerReachable(session.display);
}

bool xServerAnswers(const QByteArray& display)
{
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

void preferX11UnderWayland(int argc, char** argv)
{
    if (shouldUseX11(currentSession(argc, argv), &xServerAnswers))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace PlatformChoice
