#include "KeyPressWindows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPressWindows::KeyPressWindows(QObject* parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

KeyPressWindows* KeyPressWindows::instance()
{
    // Owned by the application, so it goes with it.
    static QPointer<KeyPressWindows> watch;
    if (!watch)
        watch = new KeyPressWindows(qApp);
    return watch;
}

void KeyPressWindows::startWatching()
{
    instance();
}

bool KeyPressWindows::pressedElsewhere(int key, const QWidget* window)
{
    const auto& windows = instance()->m_windows;
    const auto found = windows.constFind(key);
    return found != windows.constEnd() && found.value() != window;
}

bool KeyPressWindows::eventFilter(QObject* watched, QEvent* event)
{
    // A key event is offered to each widget up the parent chain; the first one names the window.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType())
        m_windows.insert(static_cast<QKeyEvent*>(event)->key(), static_cast<QWidget*>(watched)->window());
    return false;
}
