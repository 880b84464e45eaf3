#include "StartUp.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>

#include "ApplicationTitle.h"
#include "DetectableAutoRepeat.h"
#include "TForm1.h"

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
    enableDetectableAutoRepeat();

    // The splash window is constructed and shown here.

    // Form1 names the main window for as long as it lives.
    struct ClearMainWindowReference
    {
        ~ClearMainWindowReference() { Form1 = nullptr; }
    } clearMainWindowReference;
    auto mainWindow = std::make_unique<TForm1>();
    Form1 = mainWindow.get();
    QuitWithMainWindow quitWithMainWindow;
    Form1->installEventFilter(&quitWithMainWindow);

    // Lets the splash window paint before the main window appears.
    QCoreApplication::processEvents();

    Form1->show();
    Form1->raise();
    Form1->activateWindow();

    const int exitCode = application.exec();

    // Every window goes at once, also a splash or About window that is still open.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    return exitCode;
}
