#pragma once

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "BoxAnswerer.h"
#include "ClipFiles.h"
#include "TForm1.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <memory>

// A poll tick is due at most 500 ms after any moment; the rest is room for a slow (sanitizer)
// build.
inline constexpr int kPollWait = 2000;

// A main window on a fresh clip folder, which is the current directory from before the window
// is made until the test ends.
class WindowFixture
{
public:
    WindowFixture()
        : m_startDirectory(ClipFiles::currentDirectory())
    {
        if (!m_clipDir.isValid() || ::chdir(QFile::encodeName(m_clipDir.path()).constData()) != 0)
            qFatal("cannot enter a temporary clip folder");
        m_window = std::make_unique<TForm1>();
    }
    ~WindowFixture()
    {
        m_window.reset();
        if (::chdir(m_startDirectory.constData()) != 0)
            qWarning("cannot go back to the start directory");
    }
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    TForm1* window() const { return m_window.get(); }
    QWindow* handle() const { return m_window->windowHandle(); }

    template <typename T> T* control(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1StringView(name));
    }

    QString path(const QString& name) const { return m_clipDir.filePath(name); }
    QByteArray nativePath(const QString& name) const { return QFile::encodeName(path(name)); }

    // As another program would: the file exists with these bytes afterwards.
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write a clip file");
    }
    // The file's bytes; a null array when there is no file.
    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool show() const
    {
        m_window->show();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    // The offscreen platform gives the activation back to no window when a modal box closes;
    // a window manager would give it back to the main window.
    bool reactivate() const
    {
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    // Types through the window, so that each key goes where the focus is: "\r" is Enter, "\x1b"
    // Esc, "\b" Backspace, "\t" Tab, "\x1a" Ctrl+Z.
    void type(const QString& keys) const
    {
        struct NamedKey
        {
            char16_t character;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        static constexpr NamedKey kNamedKeys[] = {
            { u'\r', Qt::Key_Return, Qt::NoModifier },    { u'\x1b', Qt::Key_Escape, Qt::NoModifier },
            { u'\b', Qt::Key_Backspace, Qt::NoModifier }, { u'\t', Qt::Key_Tab, Qt::NoModifier },
            { u'\x1a', Qt::Key_Z, Qt::ControlModifier },
        };
        for (const QChar key : keys) {
            const auto named = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                            [key](const NamedKey& k) { return k.character == key.unicode(); });
            if (named != std::end(kNamedKeys))
                QTest::keyClick(handle(), named->key, named->modifiers);
            else
                QTest::keyClick(handle(), key.toLatin1());
        }
    }

private:
    QByteArray m_startDirectory;
    QTemporaryDir m_clipDir;
    std::unique_ptr<TForm1> m_window;
};

// Counts how often a file in the clip folder is written, as another program watching the folder
// sees it: a replacement by rename or a write in place is one save each.
class SaveCounter
{
public:
    explicit SaveCounter(const QString& directory)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd < 0
            || ::inotify_add_watch(m_fd, QFile::encodeName(directory).constData(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0)
            qFatal("cannot watch the clip folder");
    }
    ~SaveCounter() { ::close(m_fd); }
    SaveCounter(const SaveCounter&) = delete;
    SaveCounter& operator=(const SaveCounter&) = delete;

    // The saves of the named file since the counter was made.
    int saves(const QByteArray& name)
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (const char* p = buffer; p < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0)
                    ++m_saves[QByteArray(event->name)];
                p += sizeof(inotify_event) + event->len;
            }
        }
        return m_saves.value(name);
    }

private:
    int m_fd;
    QHash<QByteArray, int> m_saves;
};
