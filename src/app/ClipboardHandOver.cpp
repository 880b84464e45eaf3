#include "ClipboardHandOver.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include "X11Connection.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

using namespace std::chrono_literals;

// How long the manager may stay silent: before it answers or asks for the text, and between its
// requests while it takes the text.
constexpr std::chrono::milliseconds kSilence = 250ms;
// The same once it holds the present text already, which it then keeps whatever it answers.
constexpr std::chrono::milliseconds kSilenceWithCopy = 50ms;
// A long text taken piece by piece may take its time, but no longer than this.
constexpr std::chrono::milliseconds kLongestWait = 3000ms;

} // namespace

ClipboardHandOver::ClipboardHandOver()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;

    const std::pair<uint32_t*, const char*> names[] = {
        { &m_atoms.clipboard, "CLIPBOARD" },      { &m_atoms.manager, "CLIPBOARD_MANAGER" },
        { &m_atoms.saveTargets, "SAVE_TARGETS" }, { &m_atoms.reply, "_SNIPWELL_SAVE_TARGETS" },
        { &m_atoms.utf8String, "UTF8_STRING" },   { &m_atoms.text, "TEXT" },
        { &m_atoms.textPlain, "text/plain" },     { &m_atoms.textPlainUtf8, "text/plain;charset=utf-8" },
    };
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i)
        cookies[i] = xcb_intern_atom(connection, false, uint16_t(std::strlen(names[i].second)), names[i].second);
    bool interned = true;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        interned = interned && reply;
        *names[i].first = reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    if (!interned)
        return;

    m_connection = connection;
    // The windows of one X client share the bits above the server's resource mask.
    m_clientBits = ~xcb_get_setup(connection)->resource_id_mask;
    m_clipboardChanged
        = QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, [this](QClipboard::Mode mode) {
              if (mode == QClipboard::Clipboard)
                  m_managerHasCopy = false;
          });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

ClipboardHandOver::~ClipboardHandOver()
{
    if (!m_connection)
        return;
    QObject::disconnect(m_clipboardChanged);
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

void ClipboardHandOver::handOver()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!m_connection || !(clipboard->ownsClipboard() || clipboard->ownsSelection()))
        return;
    // Qt waits only where there is a manager; without one the text goes with the program.
    m_manager = managerWindow();
    if (m_manager == XCB_NONE)
        return;
    if (clipboard->ownsClipboard())
        waitForManager();
    m_manager = XCB_NONE;

    // A manager that took the text over owns the clipboard by now, and one that holds a copy puts
    // it back once the clipboard is empty; one still silent is given up on, as Qt would after its
    // five seconds. Empty, the selections leave Qt nothing to hand over and nothing to wait for.
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    if (clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
}

bool ClipboardHandOver::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_SELECTION_REQUEST: {
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
        if (request->selection != m_atoms.clipboard || !fromManager(request->requestor))
            break;
        // Qt answers it with the present text, so the manager holds that one.
        if (isTextTarget(request->target))
            m_managerHasCopy = true;
        keepWaiting();
        break;
    }
    case XCB_PROPERTY_NOTIFY:
        // A long text goes over in pieces, the manager deleting each one it has read.
        if (m_loop && fromManager(reinterpret_cast<const xcb_property_notify_event_t*>(event)->window))
            keepWaiting();
        break;
    case XCB_SELECTION_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
        if (m_loop && notify->requestor == m_requestor && notify->selection == m_atoms.manager)
            m_loop->quit();
        break;
    }
    default:
        break;
    }
    return false;
}

uint32_t ClipboardHandOver::managerWindow() const
{
    const xcb_get_selection_owner_cookie_t cookie = xcb_get_selection_owner(m_connection, m_atoms.manager);
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(m_connection, cookie, nullptr);
    const uint32_t owner = reply ? reply->owner : uint32_t(XCB_NONE);
    std::free(reply);
    return owner;
}

bool ClipboardHandOver::fromManager(uint32_t window) const
{
    // Outside the wait the manager may have changed since the last request; asked anew.
    const uint32_t manager = m_manager != XCB_NONE ? m_manager : managerWindow();
    return manager != XCB_NONE && (window & m_clientBits) == (manager & m_clientBits);
}

bool ClipboardHandOver::isTextTarget(uint32_t target) const
{
    return target == m_atoms.utf8String || target == XCB_ATOM_STRING || target == m_atoms.text
        || target == m_atoms.textPlain || target == m_atoms.textPlainUtf8;
}

void ClipboardHandOver::waitForManager()
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_requestor = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_requestor, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    // The reply property does not exist on the new window: the manager is to save every target.
    xcb_convert_selection(m_connection, m_requestor, m_atoms.manager, m_atoms.saveTargets, m_atoms.reply,
                          XCB_CURRENT_TIME);
    xcb_flush(m_connection);

    // Qt serves the manager's requests for the text meanwhile; no key or click gets through.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_loop = &loop;
    m_deadline = &deadline;
    m_waited.start();
    deadline.start(m_managerHasCopy ? kSilenceWithCopy : kSilence);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_loop = nullptr;
    m_deadline = nullptr;

    xcb_destroy_window(m_connection, m_requestor);
    xcb_flush(m_connection);
    m_requestor = XCB_NONE;
}

void ClipboardHandOver::keepWaiting()
{
    if (!m_loop)
        return;
    const auto left = kLongestWait - std::chrono::milliseconds(m_waited.elapsed());
    m_deadline->start(std::clamp(left, 0ms, kSilence));
}
