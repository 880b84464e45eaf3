#include "StartUp.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QPointer>

#include "ApplicationTitle.h"
#include "ClipboardHandOver.h"
#include "DetectableAutoRepeat.h"
#include "JpegPicture.h"
#include "TForm1.h"
#include "TForm2.h"

#include <memory>

namespace {

// Closing the main window ends the program even while another window of it (the splash
// window in its first second) is still open.
class QuitWithMainWindow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            QCoreApplication::quit();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int runSnipwell(QApplication& application)
{
    QApplication::setApplicationName(QString(kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/snipwell/icon-32.png")));
    // Lets task bars match the window with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.snipwell.Snipwell"));
    enableDetectableAutoRepeat();
    // Pictures decode for the display the program starts on, whatever happens to it later.
    JpegPicture::fixDisplayDepthFromScreen();
    ClipboardHandOver clipboardHandOver;

    // The splash window comes first, above everything, and releases itself after its second. One
    // still open when start-up fails or the program ends goes with it.
    const QPointer<TForm2> splash = new TForm2;
    struct DeleteSplashIfOpen
    {
        const QPointer<TForm2>& window;
        ~DeleteSplashIfOpen() { delete window.data(); }
    } deleteSplashIfOpen { splash };
    Form2 = splash;
    Form2->show();

    // Form1 names the main window for as long as it lives.
    struct ClearMainWindowReference
    {
        ~ClearMainWindowReference() { Form1 = nullptr; }
    } clearMainWindowReference;
    auto mainWindow = std::make_unique<TForm1>();
    Form1 = mainWindow.get();
    QuitWithMainWindow quitWithMainWindow;
    Form1->installEventFilter(&quitWithMainWindow);
    // Tied to the main window, so that no tick reaches a main window that is gone.
    QObject::connect(splash, &TForm2::mainWindowTopmostDue, Form1, [] { Form1->setTopmost(true); });

    // Lets the splash window paint before the main window appears.
    QCoreApplication::processEvents();

    Form1->show();
    Form1->raise();
    Form1->activateWindow();

    const int exitCode = application.exec();

    // Every window goes at once, also a splash or About window that is still open.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    // Before the application object takes Qt's clipboard with it, and with no window of ours
    // left to act while the manager is waited for.
    delete splash.data();
    mainWindow.reset();
    clipboardHandOver.handOver();
    return exitCode;
}
