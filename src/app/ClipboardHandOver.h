#pragma once

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QMetaObject>

#include <cstdint>

class QEventLoop;
class QTimer;
struct xcb_connection_t;

// On X11 the clipboard's text lives in the program that put it there. When Qt's clipboard goes,
// Qt asks the clipboard manager, if there is one, to save the text (ICCCM's SAVE_TARGETS) and
// waits up to five seconds for its answer. xfce4-clipman holds that selection but never answers
// it (its daemon claims the selection behind GTK's back, and GTK drops requests for selections it
// did not claim); it copies the clipboard at each change instead and puts its copy back once the
// owner is gone. Qt's wait then hangs the program's exit for five seconds.
//
// This makes the same request earlier, while the event loop still serves the manager's requests
// for the text, waits only briefly for the answer, and then gives up the selections Qt still
// owns, so that Qt has nothing left to hand over. Does nothing off X11 or without a manager.
class ClipboardHandOver : public QAbstractNativeEventFilter
{
public:
    // Starts noting which clipboard texts the manager has taken; lives as long as the windows.
    ClipboardHandOver();
    ~ClipboardHandOver() override;
    ClipboardHandOver(const ClipboardHandOver&) = delete;
    ClipboardHandOver& operator=(const ClipboardHandOver&) = delete;

    // Once the windows are gone and before the application object is: hands the clipboard over
    // and returns within a quarter of a second, unless the manager is still taking the text then
    // (three seconds at most).
    void handOver();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Atoms
    {
        uint32_t clipboard = 0;
        uint32_t manager = 0;
        uint32_t saveTargets = 0;
        uint32_t reply = 0;
        uint32_t utf8String = 0;
        uint32_t text = 0;
        uint32_t textPlain = 0;
        uint32_t textPlainUtf8 = 0;
    };

    uint32_t managerWindow() const;
    bool fromManager(uint32_t window) const;
    bool isTextTarget(uint32_t target) const;
    void waitForManager();
    void keepWaiting();

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_clientBits = 0;
    Atoms m_atoms;
    QMetaObject::Connection m_clipboardChanged;
    // Whether the manager has taken the clipboard's present text, by a request of its own.
    bool m_managerHasCopy = false;
    // Set only during the wait.
    uint32_t m_manager = 0;
    uint32_t m_requestor = 0;
    QEventLoop* m_loop = nullptr;
    QTimer* m_deadline = nullptr;
    QElapsedTimer m_waited;
};
