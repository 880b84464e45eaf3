#pragma once

#include "ClipError.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

// A fresh clip folder made the current directory for the life of the object.
class ClipFolder
{
public:
    ClipFolder()
    {
        char* cwd = ::getcwd(nullptr, 0);
        m_previous = QByteArray(cwd);
        std::free(cwd);
        m_path = QFile::encodeName(m_dir.path());
        if (!m_dir.isValid() || ::chdir(m_path.constData()) != 0)
            qFatal("cannot enter a temporary clip folder");
    }
    ~ClipFolder()
    {
        if (::chdir(m_previous.constData()) != 0)
            qWarning("cannot go back to the previous directory");
    }
    ClipFolder(const ClipFolder&) = delete;
    ClipFolder& operator=(const ClipFolder&) = delete;

    const QByteArray& path() const { return m_path; }
    QByteArray pathOf(const QByteArray& name) const { return m_path + '/' + name; }

    // Set-up helpers return false, after saying why, so that the caller's QVERIFY stops the test
    // at once instead of letting it run on into a second, misleading failure.
    [[nodiscard]] static bool write(const QByteArray& name, const QByteArray& bytes, mode_t mode = 0644)
    {
        ::unlink(name.constData());
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        if (fd < 0)
            return failed("create", name);
        const bool whole = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
        ::close(fd);
        if (!whole)
            return failed("write", name);
        // Whatever the umask says; a file system without modes (FAT through FUSE) has none to set.
        return ::chmod(name.constData(), mode) == 0 || errno == ENOSYS || failed("set the mode of", name);
    }

    // The file's bytes, or a null array when it cannot be read.
    static QByteArray read(const QByteArray& name)
    {
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return QByteArray();
        QByteArray bytes("");
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        ::close(fd);
        return bytes;
    }

    // Every name in the folder, in byte order: shows twins and left-over temporary files.
    QList<QByteArray> names(const QByteArray& subfolder = QByteArray()) const
    {
        return namesIn(subfolder.isEmpty() ? m_path : pathOf(subfolder));
    }
    static QList<QByteArray> namesIn(const QByteArray& folder)
    {
        QList<QByteArray> result;
        if (DIR* dir = ::opendir(folder.constData())) {
            while (const dirent* entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (name != "." && name != "..")
                    result.append(name);
            }
            ::closedir(dir);
        }
        std::sort(result.begin(), result.end());
        return result;
    }

    // Lays out entries from a short description, one per word: "f:name" a file ("f:name=text"
    // with content), "r:name" a read-only file, "d:name" a directory, "p:name" a FIFO,
    // "l:name>target" a symbolic link.
    [[nodiscard]] static bool make(const QByteArray& description)
    {
        for (const QByteArray& word : description.split(' ')) {
            if (word.size() < 2)
                continue;
            const QByteArray entry = word.mid(2);
            const qsizetype cut = entry.indexOf(word[0] == 'l' ? '>' : '=');
            const QByteArray name = cut < 0 ? entry : entry.left(cut);
            const QByteArray rest = cut < 0 ? QByteArray() : entry.mid(cut + 1);
            bool made = false;
            switch (word[0]) {
            case 'f':
                made = write(name, rest);
                break;
            case 'r':
                made = write(name, rest, 0444);
                break;
            case 'd':
                made = ::mkdir(name.constData(), 0755) == 0 || failed("make the directory", name);
                break;
            case 'p':
                made = ::mkfifo(name.constData(), 0644) == 0 || failed("make the FIFO", name);
                break;
            case 'l':
                made = ::symlink(rest.constData(), name.constData()) == 0 || failed("make the link", name);
                break;
            default:
                qWarning("unknown entry %s", word.constData());
            }
            if (!made)
                return false;
        }
        return true;
    }

    // The same, as one line: "a.hed a.txt".
    QByteArray listing(const QByteArray& subfolder = QByteArray()) const { return names(subfolder).join(' '); }

    static mode_t mode(const QByteArray& name)
    {
        struct stat st;
        return ::lstat(name.constData(), &st) == 0 ? st.st_mode : 0;
    }

    static ino_t inode(const QByteArray& name)
    {
        struct stat st;
        return ::lstat(name.constData(), &st) == 0 ? st.st_ino : 0;
    }

private:
    static bool failed(const char* what, const QByteArray& name)
    {
        qWarning("cannot %s %s: %s", what, name.constData(), std::strerror(errno));
        return false;
    }

    QTemporaryDir m_dir;
    QByteArray m_path;
    QByteArray m_previous;
};

// Runs the body in a child process (for process-wide limits, or as the unprivileged user
// "nobody" when we are root) and returns what it wrote to the pipe, the child's report.
inline QByteArray runInChild(const std::function<QByteArray()>& body, bool asNobody = false)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        QByteArray report;
        if (asNobody && ::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            // Without root's supplementary groups, which would still open group-writable files.
            if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0
                || ::setuid(nobody->pw_uid) != 0)
                report = "cannot become nobody";
        }
        if (report.isEmpty())
            report = body();
        (void)!::write(channel[1], report.constData(), size_t(report.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    QFile reportEnd;
    const QByteArray report = reportEnd.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)
        ? reportEnd.readAll()
        : QByteArray("cannot read the report");
    int status = 0;
    ::waitpid(pid, &status, 0);
    return report;
}

// The message of the error the action throws; empty when it throws none.
inline QString errorMessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ClipError& error) {
        return error.message();
    }
    return QString();
}
