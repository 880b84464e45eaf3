#pragma once

#include "ClipFolder.h"
#include "TForm1.h"

#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

// Shared by the window benchmarks: a clip folder with the main window in it, and the bare system
// calls their floors are made of.

// A clip folder made current, with the main window built and shown in it.
class WindowInFolder
{
public:
    void write(const QByteArray& name, const QByteArray& bytes) const
    {
        if (!ClipFolder::write(name, bytes))
            qFatal("cannot write %s", name.constData());
    }

    TForm1& show()
    {
        m_window = std::make_unique<TForm1>();
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qFatal("the main window was not shown");
        return *m_window;
    }

    const QByteArray& path() const { return m_folder.path(); }

private:
    ClipFolder m_folder; // first: the window goes before the folder does
    std::unique_ptr<TForm1> m_window;
};

inline void plainReaddir(const QByteArray& path)
{
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        qFatal("cannot list %s", path.constData());
    qsizetype count = 0;
    while (::readdir(dir))
        ++count;
    ::closedir(dir);
    if (count == 0)
        qFatal("empty folder");
}

inline QByteArray bareRead(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        qFatal("cannot open %s", path.constData());
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    if (::read(fd, bytes.data(), size_t(st.st_size)) != st.st_size)
        qFatal("short read of %s", path.constData());
    ::close(fd);
    return bytes;
}

// The floor of a save: the bare system calls of an atomic replacement. The new text is synced
// before it replaces the old, as the store's saves do, so that a power cut leaves one or the other.
inline void bareAtomicWrite(const QByteArray& target, const QByteArray& bytes)
{
    QByteArray temporary = target.left(target.lastIndexOf('/') + 1) + ".bench-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fdatasync(fd) != 0)
        qFatal("bare write failed");
    ::close(fd);
    if (::rename(temporary.constData(), target.constData()) != 0)
        qFatal("bare rename failed");
}
