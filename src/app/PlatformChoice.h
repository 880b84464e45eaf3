#pragma once

#include <QByteArray>

#include <functional>

// Wayland lets no program keep its window above the others, and hands the clipboard only to the
// focused window. Where the session also runs an X server (XWayland), the program runs on it, so
// that "always on top" and the clipboard behave as on X11; a platform the user chose wins.
namespace PlatformChoice {

struct Session
{
    QByteArray qpaPlatform; // QT_QPA_PLATFORM
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType; // XDG_SESSION_TYPE
    QByteArray display; // DISPLAY
    bool platformArgument = false; // -platform on the command line
};

// Reads the session from the environment and the command line.
Session currentSession(int argc, char** argv);

// True when the program should ask Qt for the X11 platform; xServerReachable is only asked
// when everything else points that way.
bool shouldUseX11(const Session& session, const std::function<bool(const QByteArray& display)>& xServerReachable);

// Opens and closes a connection to the X server named by display.
bool xServerAnswers(const QByteArray& display);

// Sets QT_QPA_PLATFORM=xcb when shouldUseX11 says so. Call before the application object exists.
void preferX11UnderWayland(int argc, char** argv);

} // namespace PlatformChoice
