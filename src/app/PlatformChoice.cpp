#include "PlatformChoice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QList>
#include <QStringList>
#include <QtGlobal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace PlatformChoice {

namespace {

// Qt takes "-name value" and "--name value" alike.
bool isOption(const char* argument, const char* name)
{
    if (argument[0] != '-')
        return false;
    const char* rest = argument[1] == '-' ? argument + 2 : argument + 1;
    return std::strcmp(rest, name) == 0;
}

// The name of a platform without Qt's ":option" suffix; Qt matches names in any letter case.
QByteArray nameOf(const QByteArray& platform)
{
    return platform.split(':').constFirst().toLower();
}

bool isWayland(const QByteArray& platform)
{
    const QByteArray name = nameOf(platform);
    return name == "wayland" || name.startsWith("wayland-");
}

bool isX11(const QByteArray& platform)
{
    return nameOf(platform) == "xcb";
}

// Qt tries a list such as "wayland;xcb" in its order: only a list of one kind stands or falls with it.
bool onlyOfKind(const QByteArray& platforms, bool (*isKind)(const QByteArray&))
{
    const QList<QByteArray> names = platforms.split(';');
    return std::all_of(names.begin(), names.end(), isKind);
}

} // namespace

Session currentSession(int argc, char** argv)
{
    Session session;
    session.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    session.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    session.sessionType = qgetenv("XDG_SESSION_TYPE");
    session.display = qgetenv("DISPLAY");
    session.platformPluginPath = qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
    for (int i = 1; i + 1 < argc; ++i) {
        if (isOption(argv[i], "platform"))
            session.platformArgument = argv[++i];
        else if (isOption(argv[i], "display"))
            session.display = argv[++i];
        else if (isOption(argv[i], "platformpluginpath"))
            session.platformPluginPath = argv[++i];
    }
    return session;
}

Choice choose(const Session& session, const Probes& probes)
{
    // The X server is only asked where its answer decides.
    const auto xAnswers = [&] { return !session.display.isEmpty() && probes.xServerAnswers(session.display); };
    const QByteArray noX = session.display.isEmpty() ? QByteArray("DISPLAY is not set")
                                                     : "no X server answers on display " + session.display;
    const QByteArray package = "Debian package qt6-wayland";

    // The user's choice is kept; the program only says why it cannot start where Qt would abort.
    const QByteArray chosen = session.platformArgument.isEmpty() ? session.qpaPlatform : session.platformArgument;
    if (!chosen.isEmpty()) {
        if (onlyOfKind(chosen, isWayland) && !probes.waylandPluginInstalled(session))
            return { Platform::None,
                     "the platform " + chosen + " needs Qt's Wayland plugin, which is not installed (" + package
                         + ")" };
        if (onlyOfKind(chosen, isX11) && !xAnswers())
            return { Platform::None, "the platform " + chosen + " needs an X server, and " + noX };
        return {};
    }

    const bool wayland = !session.waylandDisplay.isEmpty() || session.sessionType == "wayland";
    if (xAnswers())
        return { wayland ? Platform::X11 : Platform::Default, {} };
    // No X server: Wayland is the only way left.
    if (!wayland)
        return { Platform::None, noX + ", and WAYLAND_DISPLAY is not set" };
    if (!probes.waylandPluginInstalled(session))
        return { Platform::None, noX + ", and Qt's Wayland plugin is not installed (" + package + ")" };
    // libwayland-client's own default.
    const QByteArray waylandDisplay
        = session.waylandDisplay.isEmpty() ? QByteArray("wayland-0") : session.waylandDisplay;
    if (!probes.compositorAnswers(waylandDisplay))
        return { Platform::None, noX + ", and no Wayland compositor answers on " + waylandDisplay };
    return { Platform::Wayland, {} };
}

bool xServerAnswers(const QByteArray& display)
{
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool compositorAnswers(const QByteArray& waylandDisplay)
{
    // A socket handed over by the compositor that started the program is taken as it is.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return true;
    QByteArray path = waylandDisplay;
    if (!path.startsWith('/')) {
        const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
        if (runtimeFolder.isEmpty())
            return false;
        path = runtimeFolder + '/' + path;
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0)
        return false;
    const bool answers = ::connect(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socketFd);
    return answers;
}

bool waylandPluginInstalled(const Session& session)
{
    // Qt's search: the plugin path it was given, then the "platforms" folder of each library
    // path. Before the application object exists, QLibraryInfo answers from Qt's build.
    const QString platforms = QStringLiteral("/platforms");
    QStringList folders;
    if (!session.platformPluginPath.isEmpty())
        folders << QFile::decodeName(session.platformPluginPath);
    const QStringList pluginPaths
        = qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& path : pluginPaths)
        folders << path + platforms;
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + platforms;
    folders << QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path() + platforms;
    return std::any_of(folders.cbegin(), folders.cend(), [](const QString& folder) {
        return !QDir(folder).entryList({ QStringLiteral("*qwayland*") }, QDir::Files).isEmpty();
    });
}

bool preparePlatform(int argc, char** argv)
{
    const Choice choice
        = choose(currentSession(argc, argv), { &xServerAnswers, &compositorAnswers, &waylandPluginInstalled });
    switch (choice.platform) {
    case Platform::Default:
        break;
    case Platform::X11:
        qputenv("QT_QPA_PLATFORM", "xcb");
        break;
    case Platform::Wayland:
        qputenv("QT_QPA_PLATFORM", "wayland");
        break;
    case Platform::None:
        std::fprintf(stderr, "snipwell: cannot open a window: %s\n", choice.problem.constData());
        return false;
    }
    return true;
}

} // namespace PlatformChoice
