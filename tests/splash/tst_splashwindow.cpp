#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "ErrorBox.h"
#include "PictureBox.h"
#include "SplashPicture.h"
#include "TForm2.h"
#include "WindowTestCase.h"

#include <jpeglib.h>
#include <jerror.h>

namespace {

// The splash window must be gone within this long after it was shown: its second, and room for
// a slow (sanitizer) build.
constexpr int kSplashWait = 3000;

// A splash window wired to the main window as start-up wires it.
QPointer<TForm2> showSplash(TForm1* mainWindow)
{
    auto* splash = new TForm2;
    QObject::connect(splash, &TForm2::mainWindowTopmostDue, mainWindow, [mainWindow] { mainWindow->setTopmost(true); });
    splash->show();
    return splash;
}

QList<TForm2*> openTForm2s()
{
    QList<TForm2*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<TForm2*>(widget))
            windows.append(window);
    }
    return windows;
}

PictureBox* pictureOf(const TForm2* window)
{
    return window->findChild<PictureBox*>(QStringLiteral("Image1"));
}

// Runs `step` every 10 ms while the About window is the modal window, until the step says it is
// done (or ten seconds pass, when the About window is closed so that the test can go on).
void whileAboutIsOpen(QObject* context, std::function<bool(TForm2*)> step)
{
    auto* timer = new QTimer(context);
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step, deadline] {
        auto* about = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (!about)
            return;
        const bool done = step(about);
        if (!done && !deadline->hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!done)
            about->close();
    });
    timer->start(10);
}

void clickPicture(TForm2* window)
{
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
}

// A picture in place of the program's own for the windows made while this lives.
class ReplacedPicture
{
public:
    explicit ReplacedPicture(const QByteArray& bytes) { SplashPicture::replace(bytes); }
    ~ReplacedPicture() { SplashPicture::restore(); }
    ReplacedPicture(const ReplacedPicture&) = delete;
    ReplacedPicture& operator=(const ReplacedPicture&) = delete;
};

} // namespace

// Every test starts with the main window shown, as it is when the splash or About window
// comes.
class TestSplashWindow : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splashClosesAfterASecondAndMakesMainWindowTopmost();
    void splashIgnoresClicksOnItsPicture();
    void splashClosedByTheWindowSystemLeavesMainWindowAlone();
    void aboutStaysUntilItsPictureIsClicked();
    void aboutClosesAtTheFirstClickOfADoubleClick();
    void aboutEndsWhenTheWindowManagerClosesOrHidesIt_data();
    void aboutEndsWhenTheWindowManagerClosesOrHidesIt();
    void errorBoxOutlivesTheSplashWindow();
    void questionMarkOpensAboutAndLeavesCommandBoxEmpty();
    void aboutOpenedOverTheSplashLetsTheSplashFinish();
    void brokenPictureShowsErrorBoxAndNoAboutWindow();
    void pictureThatFailsToDecodeIsReportedOnce();
    // Last: a quit request ends the application's loop.
    void quitRequestEndsAboutAndTheProgram();
};

void TestSplashWindow::init()
{
    WindowTestCase::init();
    Form1 = m_f->window();
    QVERIFY(m_f->show());
}

void TestSplashWindow::cleanup()
{
    Form1 = nullptr;
    WindowTestCase::cleanup();
    // Nothing of a test outlives it.
    QTRY_VERIFY(openTForm2s().isEmpty());
}

void TestSplashWindow::splashClosesAfterASecondAndMakesMainWindowTopmost()
{
    // Cleared before the splash window goes: the window becomes topmost all the same.
    auto* checkBox = m_f->control<QCheckBox>("CheckBox1");
    checkBox->click();
    QVERIFY(!checkBox->isChecked());
    QVERIFY(!m_f->window()->isTopmost());

    QElapsedTimer clock;
    clock.start();
    const QPointer<TForm2> splash = showSplash(m_f->window());
    QSignalSpy topmostDue(splash.data(), &TForm2::mainWindowTopmostDue);
    QVERIFY(splash->isVisible());
    QVERIFY(!splash->AboutMode);
    QCOMPARE(splash->size(), QSize(352, 202));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(splash->pos(), QPoint((screen.width() - 352) / 2, (screen.height() - 202) / 2));
    QCOMPARE(pictureOf(splash)->geometry(), QRect(1, 1, 350, 200));
    // Decoded at the first paint.
    QTRY_COMPARE(pictureOf(splash)->decodedImage().size(), QSize(350, 200));

    // Typed while the splash window is up, emptied by the re-read that follows the switch.
    m_f->reactivate();
    m_f->type(QStringLiteral("faq"));
    QCOMPARE(m_f->control<QLineEdit>("inputbox")->text(), QStringLiteral("faq"));

    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), kSplashWait);
    QVERIFY2(clock.elapsed() >= 1000, "closed before its second was up");
    QCOMPARE(topmostDue.count(), 1);
    QVERIFY(m_f->window()->isTopmost());
    QVERIFY(!checkBox->isChecked());
    QCOMPARE(m_f->control<QLineEdit>("inputbox")->text(), QString());
}

void TestSplashWindow::splashIgnoresClicksOnItsPicture()
{
    const QPointer<TForm2> splash = showSplash(m_f->window());
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    clickPicture(splash);
    QTest::mouseDClick(splash->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
    QVERIFY(!splash.isNull());
    QVERIFY(splash->isVisible());
    // Its timer still closes it.
    QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), kSplashWait);
    QVERIFY(m_f->window()->isTopmost());
}

void TestSplashWindow::splashClosedByTheWindowSystemLeavesMainWindowAlone()
{
    const QPointer<TForm2> splash = showSplash(m_f->window());
    QSignalSpy topmostDue(splash.data(), &TForm2::mainWindowTopmostDue);
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    splash->windowHandle()->close();
    QTRY_VERIFY(splash.isNull());
    QCOMPARE(topmostDue.count(), 0);
    QVERIFY(!m_f->window()->isTopmost());
}

void TestSplashWindow::aboutStaysUntilItsPictureIsClicked()
{
    m_f->window()->setTopmost(true);
    QSignalSpy pollTicks(m_f->window()->findChild<QTimer*>(QStringLiteral("Timer1")), &QTimer::timeout);

    QPointer<TForm2> seen;
    bool aboutMode = false;
    bool blocked = false;
    bool stayedOpen = false;
    bool stayedAfterBorderClick = false;
    QElapsedTimer openFor;
    whileAboutIsOpen(this, [&](TForm2* about) {
        if (!seen) {
            seen = about;
            openFor.start();
            aboutMode = about->AboutMode;
            // The main window takes no input meanwhile.
            m_f->type(QStringLiteral("x"));
            blocked = m_f->control<QLineEdit>("inputbox")->text().isEmpty();
            // The one-pixel frame (not the corner at 0,0, which QTest reads as "the centre").
            for (const QPoint frame : { QPoint(0, 100), QPoint(175, 0), QPoint(351, 201) })
                QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, frame);
            return false;
        }
        // No timer closes it: give it a little longer than the splash window's second.
        if (openFor.elapsed() < 1200)
            return false;
        stayedAfterBorderClick = about->isVisible();
        stayedOpen = true;
        clickPicture(about);
        return true;
    });
    QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton);

    // Label3Click returned only now, with the window destroyed.
    QVERIFY(aboutMode);
    QVERIFY(seen.isNull());
    QVERIFY(stayedOpen);
    QVERIFY(stayedAfterBorderClick);
    QVERIFY(blocked);
    QVERIFY(pollTicks.count() >= 2);
    QVERIFY(openTForm2s().isEmpty());
    QVERIFY(m_f->window()->isEnabled());
    QVERIFY(m_f->reactivate());
    m_f->type(QStringLiteral("y"));
    QCOMPARE(m_f->control<QLineEdit>("inputbox")->text(), QStringLiteral("y"));
}

void TestSplashWindow::aboutClosesAtTheFirstClickOfADoubleClick()
{
    QPointer<TForm2> seen;
    bool closedAtFirstClick = false;
    whileAboutIsOpen(this, [&](TForm2* about) {
        seen = about;
        if (!QTest::qWaitForWindowExposed(about))
            return false;
        QTest::mousePress(about->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
        QTest::mouseRelease(about->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
        closedAtFirstClick = !about->isVisible();
        // The rest of the double-click reaches a window that is closing.
        QTest::mouseDClick(about->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
        return true;
    });
    QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton);
    QVERIFY(closedAtFirstClick);
    QVERIFY(seen.isNull());
}

void TestSplashWindow::aboutEndsWhenTheWindowManagerClosesOrHidesIt_data()
{
    QTest::addColumn<bool>("minimise");
    QTest::newRow("close request") << false;
    // As KWin does to a splash-type window at a click.
    QTest::newRow("minimised") << true;
}

void TestSplashWindow::aboutEndsWhenTheWindowManagerClosesOrHidesIt()
{
    QFETCH(bool, minimise);
    QPointer<TForm2> seen;
    Qt::WindowType type = Qt::Widget;
    whileAboutIsOpen(this, [&](TForm2* about) {
        seen = about;
        type = about->windowType();
        if (minimise)
            about->setWindowState(Qt::WindowMinimized);
        else
            about->windowHandle()->close();
        return true;
    });
    QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton);
    // A dialog, which window managers activate and never hide by themselves.
    QCOMPARE(type, Qt::Dialog);
    QVERIFY(seen.isNull());
    QVERIFY(m_f->window()->isEnabled());
}

void TestSplashWindow::errorBoxOutlivesTheSplashWindow()
{
    const QPointer<TForm2> splash = showSplash(m_f->window());
    splash->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(splash));

    // Open while the splash window frees itself: the box must not have been its child.
    BoxAnswerer seen(BoxAnswerer::firstButton, [&splash] { return splash.isNull(); });
    ErrorBox::show(QStringLiteral("Cannot create file .hed"));
    QVERIFY(seen.seen);
    QVERIFY(splash.isNull());
}

void TestSplashWindow::questionMarkOpensAboutAndLeavesCommandBoxEmpty()
{
    bool opened = false;
    whileAboutIsOpen(this, [&](TForm2* about) {
        opened = about->AboutMode;
        clickPicture(about);
        return true;
    });
    m_f->type(QStringLiteral("ab?"));
    QVERIFY(opened);
    QCOMPARE(m_f->control<QLineEdit>("inputbox")->text(), QString());
    QVERIFY(openTForm2s().isEmpty());
}

void TestSplashWindow::aboutOpenedOverTheSplashLetsTheSplashFinish()
{
    const QPointer<TForm2> splash = showSplash(m_f->window());

    bool splashWentFirst = false;
    bool mainWindowTopmost = false;
    whileAboutIsOpen(this, [&](TForm2* about) {
        // Both are up until the splash window's second is over; the About window stays on.
        if (!splash.isNull())
            return false;
        mainWindowTopmost = m_f->window()->isTopmost();
        splashWentFirst = about->isVisible();
        clickPicture(about);
        return true;
    });
    QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton);
    QVERIFY(splashWentFirst);
    QVERIFY(mainWindowTopmost);
    QVERIFY(splash.isNull());
}

void TestSplashWindow::brokenPictureShowsErrorBoxAndNoAboutWindow()
{
    const ReplacedPicture notAJpeg(QByteArrayLiteral("GIF89a, not a JPEG at all"));
    BoxAnswerer box;
    QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton);
    QCOMPARE(box.summary(), SeenBox::errorBox(QStringLiteral("JPEG error #%1.").arg(JERR_NO_SOI)));
    QVERIFY(openTForm2s().isEmpty());
}

void TestSplashWindow::pictureThatFailsToDecodeIsReportedOnce()
{
    // The header is whole; the third scan asks for coefficients past 63.
    QByteArray bytes = SplashPicture::bytes();
    int scans = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        if (uchar(bytes[i]) == 0xFF && uchar(bytes[i + 1]) == 0xDA && ++scans == 3) {
            bytes[i + 8] = 64;
            break;
        }
    }
    const ReplacedPicture brokenScan(bytes);

    BoxAnswerer box;
    const QPointer<TForm2> window = new TForm2;
    window->AboutMode = true; // no timer
    window->show();
    QTRY_VERIFY(box.seen);
    QCOMPARE(box.text, QStringLiteral("JPEG error #%1.").arg(JERR_BAD_PROGRESSION));
    QTRY_VERIFY(!QApplication::activeModalWidget());

    // Later paints draw what there is and say nothing more. (grab() paints for certain; the
    // offscreen platform may skip a repaint().)
    for (int i = 0; i < 3; ++i) {
        BoxAnswerer again;
        window->grab();
        QCoreApplication::processEvents(); // what the paint may have queued
        QVERIFY2(!again.seen, qPrintable(again.text));
    }
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window->isVisible());
    delete window.data();
}

void TestSplashWindow::quitRequestEndsAboutAndTheProgram()
{
    QPointer<TForm2> seen;
    bool opened = false;
    whileAboutIsOpen(this, [&](TForm2* about) {
        seen = about;
        opened = true;
        QCoreApplication::quit();
        return true;
    });
    QTimer::singleShot(0, this, [&] { QTest::mouseClick(m_f->control<QLabel>("Label3"), Qt::LeftButton); });
    // Gives up rather than hangs if the quit request is lost.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    connect(&giveUp, &QTimer::timeout, this, [] { QCoreApplication::exit(1); });
    giveUp.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(opened);
    // Label3Click destroyed the window before the loop ended.
    QVERIFY(seen.isNull());
}

QTEST_MAIN(TestSplashWindow)
#include "tst_splashwindow.moc"
