#include "CommandLine.h"

#include <QLatin1StringView>

#include "ApplicationTitle.h"
#include "MenuLaunch.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace CommandLine {

namespace {

// What QGuiApplication, QApplication and the X11 platform plugin read from the command line,
// each with one dash or two.
constexpr const char* kQtOptionsWithValue[] = { "platform", "platformpluginpath", "platformtheme", "plugin",
                                                "qwindowgeometry", "geometry", "qwindowicon", "icon",
                                                "qwindowtitle", "title", "session", "display", "name",
                                                "style", "stylesheet", "visual" };
constexpr const char* kQtFlags[] = { "reverse", "widgetcount", "nograb", "dograb", "sync", "testability" };
// Also spelt -name=value.
constexpr const char* kQtOptionsWithEquals[] = { "style", "stylesheet", "qmljsdebugger" };

bool isOneOf(QStringView name, const auto& names)
{
    return std::any_of(std::begin(names), std::end(names),
                       [name](const char* known) { return name == QLatin1StringView(known); });
}

} // namespace

Parsed parse(const QStringList& arguments)
{
    Parsed parsed;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1StringView(MenuLaunch::kFromMenuOption)) {
            parsed.fromMenu = true;
            continue;
        }
        if (argument == u"--help" || argument == u"-h")
            return { Request::Help, false, {} };
        if (argument == u"--version")
            return { Request::Version, false, {} };

        if (!argument.startsWith(u'-') || argument.size() < 2)
            return { Request::Error, false, QStringLiteral("unexpected argument '%1'").arg(argument) };
        const QStringView name = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
        if (isOneOf(name, kQtFlags))
            continue;
        if (isOneOf(name, kQtOptionsWithValue)) {
            if (++i == arguments.size())
                return { Request::Error, false, QStringLiteral("option '%1' needs a value").arg(argument) };
            continue;
        }
        const qsizetype equals = name.indexOf(u'=');
        if (equals > 0 && isOneOf(name.left(equals), kQtOptionsWithEquals))
            continue;
        return { Request::Error, false, QStringLiteral("unknown option '%1'").arg(argument) };
    }
    return parsed;
}

Parsed parse(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return parse(arguments);
}

QString usage()
{
    return QStringLiteral(
        "Usage: snipwell [--from-menu] [Qt options]\n"
        "       snipwell --help | --version\n"
        "Puts ready-made answers (clips) on the clipboard by their short names. The clips are the\n"
        "NAME.txt and NAME.hed files of the current folder.\n"
        "\n"
        "  --from-menu   work in the folder Clips of the home folder, made when missing\n"
        "  -h, --help    print this help and exit\n"
        "  --version     print the version and exit\n"
        "\n"
        "Qt's own options, such as -platform, -display and -style, are accepted too.\n"
        "Exit status: 0 when the window was closed, 1 when start-up failed, 2 for a wrong option.\n"
        "See snipwell(1).\n");
}

int answer(const Parsed& parsed)
{
    switch (parsed.request) {
    case Request::Help:
        std::fputs(usage().toLocal8Bit().constData(), stdout);
        return 0;
    case Request::Version:
        std::printf("%s\n", kApplicationTitle.data());
        return 0;
    case Request::Error:
    case Request::Run:
        break;
    }
    std::fprintf(stderr, "snipwell: %s\n%s", parsed.error.toLocal8Bit().constData(), usage().toLocal8Bit().constData());
    return 2;
}

} // namespace CommandLine
