#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

// Remembers, for every key, the window that received its last press. A modal box closes on the
// press of Enter or Esc, and the release of that key then reaches the window below it.
class KeyPressWindows : public QObject
{
    Q_OBJECT

public:
    // Once per application; later calls do nothing.
    static void startWatching();
    // True when the last press of key since the watch started went to a window of the program
    // other than window, also one that is gone since (a message box is destroyed once answered).
    static bool pressedElsewhere(int key, const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit KeyPressWindows(QObject* parent);
    static KeyPressWindows* instance();

    QHash<int, QPointer<QWidget>> m_windows;
};
