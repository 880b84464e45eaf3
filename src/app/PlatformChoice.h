#pragma once

#include <QByteArray>

#include <functional>

// Wayland lets no program keep its window above the others, and hands the clipboard only to the
// focused window. Where the session also runs an X server (XWayland), the program runs on it, so
// that "always on top" and the clipboard behave as on X11; a platform the user chose wins.
// Where no platform can start, Qt would abort; the program says why in one line instead.
namespace PlatformChoice {

// Every member has an initializer, so that a designated initializer names only those it sets.
struct Session
{
    QByteArray qpaPlatform {}; // QT_QPA_PLATFORM
    QByteArray waylandDisplay {}; // WAYLAND_DISPLAY
    QByteArray sessionType {}; // XDG_SESSION_TYPE
    QByteArray display {}; // DISPLAY, or the value of -display
    QByteArray platformArgument {}; // the value of -platform on the command line
    QByteArray platformPluginPath {}; // QT_QPA_PLATFORM_PLUGIN_PATH, or the value of -platformpluginpath
};

enum class Platform {
    Default, // what the user chose, or Qt's own default on X11
    X11,
    Wayland,
    None, // no window can open: see Choice::problem
};

struct Choice
{
    Platform platform = Platform::Default;
    QByteArray problem; // for Platform::None: why, one line without the program's name
};

// What the choice asks of the system; each is asked only when its answer decides the outcome.
struct Probes
{
    std::function<bool(const QByteArray& display)> xServerAnswers;
    std::function<bool(const QByteArray& waylandDisplay)> compositorAnswers;
    std::function<bool(const Session& session)> waylandPluginInstalled;
};

// Reads the session from the environment and the command line.
Session currentSession(int argc, char** argv);

Choice choose(const Session& session, const Probes& probes);

// Opens and closes a connection to the X server named by display.
bool xServerAnswers(const QByteArray& display);

// Connects to and leaves the compositor's socket, found as libwayland-client finds it.
bool compositorAnswers(const QByteArray& waylandDisplay);

// Looks for Qt's Wayland platform plugin where Qt would look for it.
bool waylandPluginInstalled(const Session& session);

// Sets QT_QPA_PLATFORM as choose() says. When no window can open, prints why to standard error
// and returns false. Call before the application object exists.
bool preparePlatform(int argc, char** argv);

} // namespace PlatformChoice
