#include "TForm2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "AccessibleRoles.h"
#include "ClipError.h"
#include "ErrorBox.h"
#include "HandlerGuard.h"
#include "PictureBox.h"
#include "SplashPicture.h"

TForm2* Form2 = nullptr;

namespace {

constexpr int kTimerInterval = 1000;

constexpr Qt::WindowFlags kFrameless = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
// A splash-type window has no frame and no task-bar entry of its own.
constexpr Qt::WindowFlags kSplashFlags = Qt::SplashScreen | kFrameless;
// Window managers neither focus a splash-type window nor let it be closed from the keyboard,
// and KWin hides one at a click before the click reaches it: the About window is a dialog
// instead, which a window manager activates, closes at its close request and never hides on
// its own. As a transient window it has no task-bar entry either.
constexpr Qt::WindowFlags kAboutFlags = Qt::Dialog | kFrameless;

} // namespace

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, kSplashFlags)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Snipwell"));
    setFixedSize(kWidth, kHeight);
    // Only closing the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new PictureBox(SplashPicture::bytes(), this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(1, 1);
    Image1->setAccessibleName(QStringLiteral("Snipwell picture"));
    AccessibleRoles::setRole(this, QAccessible::Window);
    AccessibleRoles::setRole(Image1, QAccessible::Graphic, AccessibleRoles::Press::Yes);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerInterval);
    // A coarse timer may fire up to 5 % early; the second is a minimum.
    Timer1->setTimerType(Qt::PreciseTimer);
    // The window is gone before a second tick could come; one tick is all it ever takes.
    Timer1->setSingleShot(true);

    connect(Timer1, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
    connect(Image1, &PictureBox::clicked, this, [this] { runGuarded([this] { Image1Click(); }); });
    connect(Image1, &PictureBox::decodeFailed, this,
            [](const QString& message) { runGuarded([&] { ErrorBox::show(message); }); });

    FormCreate();
}

TForm2::~TForm2()
{
    if (m_modalLoop)
        m_modalLoop->exit();
}

void TForm2::ShowModal()
{
    const QPointer<QWidget> previous = QApplication::activeWindow();
    const QPointer<TForm2> self(this);
    QEventLoop loop;
    m_modalLoop = &loop;
    if (AboutMode) {
        setWindowFlags(kAboutFlags);
        AccessibleRoles::setRole(this, QAccessible::Dialog);
        setAccessibleName(QStringLiteral("About Snipwell"));
        const QString howToClose = QStringLiteral("Click the picture, or press Alt+F4, to close the About box");
        setAccessibleDescription(howToClose);
        Image1->setAccessibleDescription(howToClose);
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    // Ends when the window closes, or with every other loop at a quit request.
    loop.exec(QEventLoop::DialogExec);
    if (!self)
        return;
    m_modalLoop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    const QWidget* active = QApplication::activeWindow();
    if (previous && previous->isVisible() && (!active || active == this))
        previous->activateWindow();
}

void TForm2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A spontaneous show comes from the window system (say, after a desktop switch), not from a
    // showing of the program's own.
    if (event->spontaneous())
        return;
    runGuarded([this] { FormShow(); });
    placeOnScreen();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    runGuarded([this] { FormClose(); });
    event->accept();
    // A closed window's timer never fires, also in the moment before its release is taken.
    Timer1->stop();
    if (m_modalLoop) {
        // Shown modally, the window is destroyed by the code that showed it as soon as the display
        // ends. A release queued now could be taken first, inside the modal loop: drop it.
        setAttribute(Qt::WA_DeleteOnClose, false);
        m_modalLoop->exit();
    }
}

void TForm2::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A window manager that minimises or hides the modal window would leave the program waiting
    // for a click that can no longer come: taken as a close request.
    if (event->type() == QEvent::WindowStateChange && m_modalLoop && isMinimized())
        close();
}

void TForm2::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), Qt::black);
}

void TForm2::placeOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (AboutMode) {
        if (const QWidget* active = QApplication::activeWindow(); active && active != this && active->screen())
            screen = active->screen();
    }
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
}

void TForm2::FormCreate()
{
    AboutMode = false;
}

void TForm2::FormShow()
{
    if (AboutMode) {
        Timer1->stop();
        return;
    }
    Timer1->start();
    if (!Timer1->isActive())
        throw ClipError(QStringLiteral("Not enough timers available"));
}

void TForm2::Timer1Timer()
{
    close();
    emit mainWindowTopmostDue();
}

void TForm2::FormClose()
{
    // Destroyed on the next turn of the loop, never inside its own handler.
    setAttribute(Qt::WA_DeleteOnClose);
}

void TForm2::Image1Click()
{
    if (AboutMode)
        close();
}
