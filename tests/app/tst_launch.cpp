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

using CommandLine::Request;
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
        arguments.prepend(u"snipwell"_qs);
        QTest::newRow(name) << arguments << request << fromMenu << QString::fromUtf8(error);
    };
    row("no option", {}, Request::Run);
    row("from the menu", { u"--from-menu"_qs }, Request::Run, true);
    QTest::newRow("the program's own name is no option")
        << QStringList { u"--from-menu"_qs } << Request::Run << false << QString();
    row("a typo", { u"--from-menus"_qs }, Request::Error, false, "unknown option '--from-menus'");
    row("Qt's options and their values", { u"-platform"_qs, u"offscreen"_qs, u"--style"_qs, u"Fusion"_qs,
                                            u"-stylesheet=a.qss"_qs, u"-reverse"_qs, u"--from-menu"_qs },
        Request::Run, true);
    row("Qt's option without its value", { u"-display"_qs }, Request::Error, false, "option '-display' needs a value");
    row("help wins", { u"--from-menu"_qs, u"--help"_qs }, Request::Help);
    row("short help", { u"-h"_qs }, Request::Help);
    row("version", { u"--version"_qs }, Request::Version);
    row("a word", { u"faq1"_qs }, Request::Error, false, "unexpected argument 'faq1'");
    row("a lone dash", { u"-"_qs }, Request::Error, false, "unexpected argument '-'");
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

    QTest::newRow("help") << u"--help"_qs << 0 << CommandLine::usage() << QString();
    QTest::newRow("version") << u"--version"_qs << 0 << u"Snipwell 1.0\n"_qs << QString();
    QTest::newRow("unknown option") << u"--bogus"_qs << 2 << QString()
                                    << u"snipwell: unknown option '--bogus'\n"_qs + CommandLine::usage();
}

void tst_Launch::programAnswersWithoutADisplay()
{
    QFETCH(QString, option);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
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
    QCOMPARE(QDir::currentPath(), home.path() + u"/Clips"_qs);
    struct stat info
    {
    };
    QCOMPARE(stat(folder.constData(), &info), 0);
    QVERIFY(S_ISDIR(info.st_mode));
}

void tst_Launch::existingClipsFolderKeepsItsFiles()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(u"Clips"_qs));
    QFile clip(home.path() + u"/Clips/faq1.txt"_qs);
    QVERIFY(clip.open(QIODevice::WriteOnly));
    clip.write("kept");
    clip.close();

    MenuLaunch::enterClipsFolder(QFile::encodeName(home.path()));
    QFile again(u"faq1.txt"_qs);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), QByteArray("kept"));
}

void tst_Launch::clipsFolderBlockedByAFileIsAnError()
{
    QTemporaryDir home;
    QFile blocker(home.path() + u"/Clips"_qs);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        MenuLaunch::enterClipsFolder(QFile::encodeName(home.path()));
        QFAIL("a file named Clips was entered");
    } catch (const ClipError& error) {
        QVERIFY2(error.message().startsWith(u"Cannot open folder "_qs + home.path() + u"/Clips"_qs),
                 qPrintable(error.message()));
    }
    QCOMPARE(QDir::currentPath(), m_startFolder);
    QVERIFY(QFileInfo(blocker.fileName()).isFile());

    try {
        MenuLaunch::enterClipsFolder("/nonexistent-home-for-tests");
        QFAIL("a folder was made under a missing home");
    } catch (const ClipError& error) {
        QVERIFY2(error.message().startsWith(u"Cannot create folder /nonexistent-home-for-tests/Clips"_qs),
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
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<bool>("platformArgument");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<bool>("useX11");

    QTest::newRow("wayland with XWayland") << QByteArray() << false << QByteArray("wayland-0") << QByteArray("wayland")
                                           << QByteArray(":0") << true << true;
    QTest::newRow("session type alone") << QByteArray() << false << QByteArray() << QByteArray("wayland")
                                        << QByteArray(":1") << true << true;
    QTest::newRow("X server not answering")
        << QByteArray() << false << QByteArray("wayland-0") << QByteArray() << QByteArray(":0") << false << false;
    QTest::newRow("no DISPLAY") << QByteArray() << false << QByteArray("wayland-0") << QByteArray("wayland")
                                << QByteArray() << true << false;
    QTest::newRow("user chose a platform") << QByteArray("wayland") << false << QByteArray("wayland-0")
                                           << QByteArray("wayland") << QByteArray(":0") << true << false;
    QTest::newRow("user chose on the command line") << QByteArray() << true << QByteArray("wayland-0")
                                                    << QByteArray("wayland") << QByteArray(":0") << true << false;
    QTest::newRow("plain X11 session") << QByteArray() << false << QByteArray() << QByteArray("x11") << QByteArray(":0")
                                       << true << false;
}

void tst_Launch::platformChoice()
{
    QFETCH(QByteArray, platform);
    QFETCH(bool, platformArgument);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, display);
    QFETCH(bool, reachable);
    QFETCH(bool, useX11);

    Session session { platform, waylandDisplay, sessionType, display, platformArgument };
    QByteArray asked;
    const bool chosen = PlatformChoice::shouldUseX11(session, [&](const QByteArray& name) {
        asked = name;
        return reachable;
    });
    QCOMPARE(chosen, useX11);
    // Connecting costs a round trip, so the server is only asked when it decides the outcome.
    const bool mustAsk = platform.isEmpty() && !platformArgument && !display.isEmpty()
        && (!waylandDisplay.isEmpty() || sessionType == "wayland");
    QCOMPARE(asked, mustAsk ? display : QByteArray());
}

void tst_Launch::unreachableXServerIsDetected()
{
    QVERIFY(!PlatformChoice::xServerAnswers(":4711"));

    char program[] = "snipwell";
    char option[] = "-platform";
    char name[] = "offscreen";
    char* argv[] = { program, option, name, nullptr };
    QVERIFY(PlatformChoice::currentSession(3, argv).platformArgument);
    QVERIFY(!PlatformChoice::currentSession(1, argv).platformArgument);
}

QTEST_GUILESS_MAIN(tst_Launch)
#include "tst_launch.moc"
