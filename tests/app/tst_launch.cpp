#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "ClipError.h"
#include "CommandLine.h"
#include "MenuLaunch.h"
#include "PlatformChoice.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using CommandLine::Request;
using PlatformChoice::Platform;
using PlatformChoice::Session;

class tst_Launch : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void commandLine_data();
    void commandLine();
    void programAnswersWithoutADisplay_data();
    void programAnswersWithoutADisplay();
    void clipsFolderIsMadeOnFirstStartAndEntered();
    void existingClipsFolderKeepsItsFiles();
    void clipsFolderBlockedByAFileIsAnError();
    void homeFallsBackToPasswordEntry();

    void platformChoice_data();
    void platformChoice();
    void unreachableXServerIsDetected();
    void compositorAndPluginAreFound();

private:
    QString m_startFolder;
};

void tst_Launch::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Request>("request");
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QString>("error");

    const auto row = [](const char* name, QStringList arguments, Request request, bool fromMenu = false,
                        const char* error = "") {
        arguments.prepend(u"snipwell"_s);
        QTest::newRow(name) << arguments << request << fromMenu << QString::fromUtf8(error);
    };
    row("no option", {}, Request::Run);
    row("from the menu", { u"--from-menu"_s }, Request::Run, true);
    QTest::newRow("the program's own name is no option")
        << QStringList { u"--from-menu"_s } << Request::Run << false << QString();
    row("a typo", { u"--from-menus"_s }, Request::Error, false, "unknown option '--from-menus'");
    row("Qt's options and their values", { u"-platform"_s, u"offscreen"_s, u"--style"_s, u"Fusion"_s,
                                            u"-stylesheet=a.qss"_s, u"-reverse"_s, u"--from-menu"_s },
        Request::Run, true);
    row("Qt's option without its value", { u"-display"_s }, Request::Error, false, "option '-display' needs a value");
    row("help wins", { u"--from-menu"_s, u"--help"_s }, Request::Help);
    row("short help", { u"-h"_s }, Request::Help);
    row("version", { u"--version"_s }, Request::Version);
    row("a word", { u"faq1"_s }, Request::Error, false, "unexpected argument 'faq1'");
    row("a lone dash", { u"-"_s }, Request::Error, false, "unexpected argument '-'");
}

void tst_Launch::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(Request, request);
    QFETCH(bool, fromMenu);
    QFETCH(QString, error);

    const CommandLine::Parsed parsed = CommandLine::parse(arguments);
    QCOMPARE(parsed.request, request);
    QCOMPARE(parsed.fromMenu, fromMenu);
    QCOMPARE(parsed.error, error);
}

void tst_Launch::programAnswersWithoutADisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("help") << u"--help"_s << 0 << CommandLine::usage() << QString();
    QTest::newRow("version") << u"--version"_s << 0 << u"Snipwell 1.0\n"_s << QString();
    QTest::newRow("unknown option") << u"--bogus"_s << 2 << QString()
                                    << u"snipwell: unknown option '--bogus'\n"_s + CommandLine::usage();
    QTest::newRow("a window asked for")
        << u"--from-menu"_s << 1 << QString()
        << u"snipwell: cannot open a window: DISPLAY is not set, and WAYLAND_DISPLAY is not set\n"_s;
}

void tst_Launch::programAnswersWithoutADisplay()
{
    QFETCH(QString, option);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(SNIPWELL_BINARY), { option });
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), out);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), err);
}

void tst_Launch::clipsFolderIsMadeOnFirstStartAndEntered()
{
    QTemporaryDir home;
    const QByteArray folder = MenuLaunch::enterClipsFolder(QFile::encodeName(home.path()) + '/');
    QCOMPARE(folder, QFile::encodeName(home.path()) + "/Clips");
    QCOMPARE(QDir::currentPath(), home.path() + u"/Clips"_s);
    struct stat info
    {
    };
    QCOMPARE(stat(folder.constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
}

void tst_Launch::existingClipsFolderKeepsItsFiles()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(u"Clips"_s));
    QFile clip(home.path() + u"/Clips/faq1.txt"_s);
    QVERIFY(clip.open(QIODevice::WriteOnly));
    clip.write("kept");
    clip.close();

    MenuLaunch::enterClipsFolder(QFile::encodeName(home.path()));
    QFile again(u"faq1.txt"_s);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("kept"));
}

void tst_Launch::clipsFolderBlockedByAFileIsAnError()
{
    QTemporaryDir home;
    QFile blocker(home.path() + u"/Clips"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        MenuLaunch::enterClipsFolder(QFile::encodeName(home.path()));
        QFAIL("a file named Clips was entered");
    } catch (const ClipError& error) {
        QVERIFY2(error.message().startsWith(u"Cannot open folder "_s + home.path() + u"/Clips"_s),
                 qPrintable(error.message()));
    }
    QCOMPARE(QDir::currentPath(), m_startFolder);
    QVERIFY(QFileInfo(blocker.fileName()).isFile());

    try {
        MenuLaunch::enterClipsFolder("/nonexistent-home-for-tests");
        QFAIL("a folder was made under a missing home");
    } catch (const ClipError& error) {
        QVERIFY2(error.message().startsWith(u"Cannot create folder /nonexistent-home-for-tests/Clips"_s),
                 qPrintable(error.message()));
    }
}

void tst_Launch::homeFallsBackToPasswordEntry()
{
    const QByteArray saved = qgetenv("HOME");
    qputenv("HOME", "/somewhere/else");
    QCOMPARE(MenuLaunch::homeFolder(), QByteArray("/somewhere/else"));
    qunsetenv("HOME");
    const QByteArray fallback = MenuLaunch::homeFolder();
    qputenv("HOME", saved);
    QVERIFY(!fallback.isEmpty());
    QVERIFY(fallback.startsWith('/'));
}

void tst_Launch::platformChoice_data()
{
    QTest::addColumn<Session>("session");
    QTest::addColumn<QByteArray>("xServer"); // the display an X server answers on
    QTest::addColumn<QByteArray>("compositor"); // the socket a Wayland compositor answers on
    QTest::addColumn<bool>("plugin"); // Qt's Wayland plugin is installed
    QTest::addColumn<Platform>("platform");
    QTest::addColumn<QByteArray>("problem");

    const auto row = [](const char* name, const Session& session, const char* xServer, const char* compositor,
                        bool plugin, Platform platform, const char* problem = "") {
        QTest::newRow(name) << session << QByteArray(xServer) << QByteArray(compositor) << plugin << platform
                            << QByteArray(problem);
    };
    row("wayland with XWayland", { .waylandDisplay = "wayland-0", .sessionType = "wayland", .display = ":0" }, ":0",
        "wayland-0", true, Platform::X11);
    row("session type alone", { .sessionType = "wayland", .display = ":1" }, ":1", "wayland-0", true, Platform::X11);
    row("X server not answering", { .waylandDisplay = "wayland-0", .display = ":0" }, "", "wayland-0", true,
        Platform::Wayland);
    row("no DISPLAY", { .waylandDisplay = "wayland-0", .sessionType = "wayland" }, ":0", "wayland-0", true,
        Platform::Wayland);
    row("user chose a platform",
        { .qpaPlatform = "wayland", .waylandDisplay = "wayland-0", .sessionType = "wayland", .display = ":0" }, ":0",
        "wayland-0", true, Platform::Default);
    row("user chose on the command line",
        { .waylandDisplay = "wayland-0", .sessionType = "wayland", .display = ":0", .platformArgument = "xcb" }, ":0",
        "wayland-0", true, Platform::Default);
    row("plain X11 session", { .sessionType = "x11", .display = ":0" }, ":0", "", false, Platform::Default);
    row("session type alone finds libwayland's default socket", { .sessionType = "wayland" }, "", "wayland-0", true,
        Platform::Wayland);
    row("nothing to open a window on", {}, "", "", true, Platform::None,
        "DISPLAY is not set, and WAYLAND_DISPLAY is not set");
    row("X11 session whose server has gone", { .sessionType = "x11", .display = ":0" }, "", "", true, Platform::None,
        "no X server answers on display :0, and WAYLAND_DISPLAY is not set");
    row("Wayland alone without Qt's plugin", { .waylandDisplay = "wayland-1" }, "", "wayland-1", false, Platform::None,
        "DISPLAY is not set, and Qt's Wayland plugin is not installed (Debian package qt6-wayland)");
    row("compositor gone too", { .waylandDisplay = "wayland-1", .display = ":0" }, "", "wayland-0", true,
        Platform::None, "no X server answers on display :0, and no Wayland compositor answers on wayland-1");
    row("user chose Wayland without Qt's plugin", { .qpaPlatform = "wayland", .display = ":0" }, ":0", "", false,
        Platform::None,
        "the platform wayland needs Qt's Wayland plugin, which is not installed (Debian package qt6-wayland)");
    row("user's list falls back to X11", { .qpaPlatform = "wayland;xcb", .display = ":0" }, ":0", "", false,
        Platform::Default);
    row("user chose X11 without a server", { .qpaPlatform = "xcb", .display = ":5" }, "", "", false, Platform::None,
        "the platform xcb needs an X server, and no X server answers on display :5");
    row("user chose a platform of neither kind", { .qpaPlatform = "offscreen" }, "", "", false, Platform::Default);
    row("command line over QT_QPA_PLATFORM",
        { .qpaPlatform = "xcb", .display = ":0", .platformArgument = "wayland-egl" }, ":0", "", false, Platform::None,
        "the platform wayland-egl needs Qt's Wayland plugin, which is not installed (Debian package qt6-wayland)");
}

void tst_Launch::platformChoice()
{
    QFETCH(Session, session);
    QFETCH(QByteArray, xServer);
    QFETCH(QByteArray, compositor);
    QFETCH(bool, plugin);
    QFETCH(Platform, platform);
    QFETCH(QByteArray, problem);

    QByteArray askedX;
    const PlatformChoice::Probes probes {
        [&](const QByteArray& display) {
            askedX = display;
            return display == xServer;
        },
        [&](const QByteArray& name) { return name == compositor; },
        [&](const Session&) { return plugin; },
    };
    const PlatformChoice::Choice choice = PlatformChoice::choose(session, probes);
    QCOMPARE(choice.platform, platform);
    QCOMPARE(choice.problem, problem);
    // Connecting costs a round trip: the X server is asked only when no platform, or X11, was chosen.
    const QByteArray chosen = session.platformArgument.isEmpty() ? session.qpaPlatform : session.platformArgument;
    QCOMPARE(askedX, chosen.isEmpty() || chosen == "xcb" ? session.display : QByteArray());
}

void tst_Launch::unreachableXServerIsDetected()
{
    QVERIFY(!PlatformChoice::xServerAnswers(":4711"));

    char program[] = "snipwell";
    char option[] = "-platform";
    char name[] = "offscreen";
    char displayOption[] = "--display";
    char display[] = ":9";
    char* argv[] = { program, option, name, displayOption, display, nullptr };
    const Session session = PlatformChoice::currentSession(5, argv);
    QCOMPARE(session.platformArgument, QByteArray("offscreen"));
    QCOMPARE(session.display, QByteArray(":9"));
    QVERIFY(PlatformChoice::currentSession(1, argv).platformArgument.isEmpty());
}

void tst_Launch::compositorAndPluginAreFound()
{
    QTemporaryDir folder;
    QVERIFY(!PlatformChoice::compositorAnswers(QFile::encodeName(folder.path()) + "/wayland-0"));
    // Found by its file name, so an empty file stands in for the plugin.
    QVERIFY(QDir(folder.path()).mkdir(u"platforms"_s));
    QVERIFY(QFile(folder.path() + u"/platforms/libqwayland-generic.so"_s).open(QIODevice::WriteOnly));
    QVERIFY(PlatformChoice::waylandPluginInstalled(
        { .platformPluginPath = QFile::encodeName(folder.path()) + "/platforms" }));
}

QTEST_GUILESS_MAIN(tst_Launch)
#include "tst_launch.moc"
