#pragma once

// Faults made for real for the store and window tests: a small disk (tmpfs), a file-size limit,
// entries that are no file, and the unprivileged user "nobody".

#include <QByteArray>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

namespace FaultInjection {

// Gives the test process a mount table of its own, so that a disk it mounts is gone with the
// process however it ends, and nothing it mounts shows elsewhere. False when not permitted.
inline bool enterPrivateMounts()
{
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A tmpfs of the given options ("size=64k", "size=64k,nr_inodes=3") mounted on an existing,
// empty folder for the life of the object.
class ScratchDisk
{
public:
    ScratchDisk(const QByteArray& folder, const QByteArray& options)
        : m_folder(folder)
    {
        m_mounted = ::mount("tmpfs", folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
    }
    ~ScratchDisk()
    {
        // Detached: the disk goes as soon as nothing works in it any more, also when a
        // failing test left its current directory or an open file there.
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// Fills the disk of the folder to its last byte with a file of that name.
inline bool fillDisk(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    ssize_t written;
    do {
        written = ::write(fd, block.constData(), size_t(block.size()));
    } while (written > 0);
    // The last page may be taken in pieces.
    while (::write(fd, "f", 1) == 1) { }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

// Writes past the given size fail with EFBIG, as long as the object lives, instead of killing
// the process with SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit limit { bytes, m_previous.rlim_max };
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool set() const { return m_set; }

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_set = false;
};

// The kinds of entry that may stand where a clip file is expected, and are no file.
enum class Entry { SymlinkLoop, Fifo, Socket, Directory, DanglingLink };

inline const char* entryName(Entry entry)
{
    static constexpr const char* kNames[] = { "symlink loop", "FIFO", "socket", "directory", "dangling link" };
    static_assert(std::size(kNames) == size_t(Entry::DanglingLink) + 1, "a name for every kind of entry");
    return kNames[size_t(entry)];
}

// The rows of a test over every entry, standing for the body and for the title.
inline void addEntryRows()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("asTitle");
    for (const Entry entry :
         { Entry::SymlinkLoop, Entry::Fifo, Entry::Socket, Entry::Directory, Entry::DanglingLink }) {
        for (const bool asTitle : { false, true })
            QTest::addRow("%s as %s", entryName(entry), asTitle ? "title" : "body") << entry << asTitle;
    }
}

// Makes the entry at the path, which must be free; a symbolic loop points at itself.
inline bool makeEntry(Entry entry, const QByteArray& path)
{
    switch (entry) {
    case Entry::SymlinkLoop: {
        const qsizetype slash = path.lastIndexOf('/');
        return ::symlink(path.mid(slash + 1).constData(), path.constData()) == 0;
    }
    case Entry::Fifo:
        return ::mkfifo(path.constData(), 0666) == 0;
    case Entry::Socket: {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0)
            ::close(fd);
        return bound;
    }
    case Entry::Directory:
        return ::mkdir(path.constData(), 0755) == 0;
    case Entry::DanglingLink:
        return ::symlink("gone", path.constData()) == 0;
    }
    return false;
}

// Whether the entry at the path is still of that kind (lstat, so a link stays a link).
inline bool isEntry(Entry entry, const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    switch (entry) {
    case Entry::SymlinkLoop:
    case Entry::DanglingLink:
        return S_ISLNK(st.st_mode);
    case Entry::Fifo:
        return S_ISFIFO(st.st_mode);
    case Entry::Socket:
        return S_ISSOCK(st.st_mode);
    case Entry::Directory:
        return S_ISDIR(st.st_mode);
    }
    return false;
}

// The user and group "nobody" runs as; false when the system has no such user.
inline bool nobodyIds(uid_t& uid, gid_t& gid)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return false;
    uid = nobody->pw_uid;
    gid = nobody->pw_gid;
    return true;
}

// Becomes "nobody" for good, with no supplementary group left from root. Only for a child.
inline bool becomeNobody()
{
    uid_t uid;
    gid_t gid;
    return nobodyIds(uid, gid) && ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

} // namespace FaultInjection
