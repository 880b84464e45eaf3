#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ClipError.h"
#include "MenuLaunch.h"
#include "PlatformChoice.h"

#include <sys/stat.h>

using PlatformChoice::Session;

class tst_Launch : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void fromMenuIsAnOptionNotTheProgramName();
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

void tst_Launch::fromMenuIsAnOptionNotTheProgramName()
{
    QVERIFY(MenuLaunch::requested({ u"snipwell"_qs, u"--from-menu"_qs }));
    QVERIFY(!MenuLaunch::requested({ u"snipwell"_qs }));
    QVERIFY(!MenuLaunch::requested({ u"--from-menu"_qs }));
    QVERIFY(!MenuLaunch::requested({ u"snipwell"_qs, u"--from-menus"_qs }));
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
