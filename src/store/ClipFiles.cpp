#include "ClipFiles.h"

#include "ClipError.h"
#include "TextBytes.h"

#include <QHash>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

// A directory changed again within the same tick of the file system's clock keeps its time
// stamps, so a listing read that close to the last change is not trusted for the next call.
// Two seconds also covers file systems that store times in two-second steps.
constexpr long long kTrustAfterNs = 2'000'000'000LL;
constexpr size_t kMaxCachedDirectories = 8;

struct DirAndName
{
    QByteArray directory; // as the system calls take it: "." for a bare name, "/" at the root
    QByteArray name;
};

DirAndName splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return { QByteArrayLiteral("."), path };
    return { slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1) };
}

QByteArray withName(const QByteArray& path, const QByteArray& name)
{
    return path.left(path.lastIndexOf('/') + 1) + name;
}

bool hasWildcard(const QByteArray& name)
{
    return name.contains('*') || name.contains('?');
}

// Names compare by their case-folded Unicode form as UTF-8 bytes (so byte order is code point
// order), kept apart by encoding (TextBytes::foldedName); ASCII folds directly.
void appendFolded(QByteArray& out, QByteArrayView name)
{
    bool ascii = true;
    for (const char c : name)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) {
        out += TextBytes::foldedName(name);
        return;
    }
    const qsizetype start = out.size();
    out.append(name);
    for (char* c = out.data() + start; c < out.data() + out.size(); ++c) {
        if (*c >= 'A' && *c <= 'Z')
            *c = char(*c + ('a' - 'A'));
    }
}

QByteArray foldName(const QByteArray& name)
{
    QByteArray folded;
    appendFolded(folded, name);
    return folded;
}

// Many names with their folded forms, kept in two blocks rather than two strings each, so
// that a folder of 100,000 files is read in little more time than the listing itself takes.
class NameTable
{
public:
    void add(QByteArrayView name)
    {
        Span span { m_names.size(), name.size(), m_folded.size(), 0 };
        m_names.append(name);
        appendFolded(m_folded, name);
        span.foldedLength = m_folded.size() - span.folded;
        m_spans.push_back(span);
    }

    qsizetype size() const { return qsizetype(m_spans.size()); }
    QByteArrayView name(qsizetype i) const
    {
        return QByteArrayView(m_names.constData() + m_spans[i].name, m_spans[i].nameLength);
    }
    QByteArrayView folded(qsizetype i) const
    {
        return QByteArrayView(m_folded.constData() + m_spans[i].folded, m_spans[i].foldedLength);
    }

private:
    struct Span
    {
        qsizetype name;
        qsizetype nameLength;
        qsizetype folded;
        qsizetype foldedLength;
    };
    QByteArray m_names;
    QByteArray m_folded;
    std::vector<Span> m_spans;
};

bool endsWithTxt(const char* name, size_t length)
{
    if (length < 4)
        return false;
    const char* ext = name + length - 4;
    return ext[0] == '.' && (ext[1] | 0x20) == 't' && (ext[2] | 0x20) == 'x' && (ext[3] | 0x20) == 't';
}

// "*" matches any run of characters, "?" exactly one; both sides are folded UTF-8.
bool wildcardMatch(const char* pattern, const char* patternEnd, const char* text, const char* textEnd)
{
    const auto nextChar = [](const char* p, const char* end) {
        ++p;
        while (p < end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80)
            ++p;
        return p;
    };
    const char* starPattern = nullptr;
    const char* starText = nullptr;
    while (text < textEnd) {
        if (pattern < patternEnd && *pattern == '*') {
            starPattern = ++pattern;
            starText = text;
        } else if (pattern < patternEnd && *pattern == '?') {
            ++pattern;
            text = nextChar(text, textEnd);
        } else if (pattern < patternEnd && *pattern == *text) {
            ++pattern;
            ++text;
        } else if (starPattern) {
            pattern = starPattern;
            starText = nextChar(starText, textEnd);
            text = starText;
        } else {
            return false;
        }
    }
    while (pattern < patternEnd && *pattern == '*')
        ++pattern;
    return pattern == patternEnd;
}

long long nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

// One directory's names, remembered while the directory's identity and time stamps stay the
// same, so that a name's case-insensitive match costs no listing of a large folder.
struct DirectoryIndex
{
    dev_t device = 0;
    ino_t inode = 0;
    long long modified = 0;
    long long changed = 0;
    bool trusted = false;
    NameTable names;
    // Per folded name, 1 + the entry of its first name in byte order (views into `names`).
    QHash<QByteArrayView, qsizetype> firstByFoldedName;
    // For wildcard patterns, built on first use: those first names, in byte order.
    bool sorted = false;
    std::vector<qsizetype> byteOrder;

    bool matches(const struct stat& st) const
    {
        return trusted && device == st.st_dev && inode == st.st_ino && modified == nanoseconds(st.st_mtim)
            && changed == nanoseconds(st.st_ctim);
    }
};

// The folders asked about last, most recent first: the clip folder, and a few others that
// names with a "/" reach.
std::vector<std::pair<QByteArray, std::shared_ptr<DirectoryIndex>>>& indexCache()
{
    static std::vector<std::pair<QByteArray, std::shared_ptr<DirectoryIndex>>> cache;
    return cache;
}

std::shared_ptr<DirectoryIndex> readIndex(const QByteArray& directory, const struct stat& st)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    DIR* dir = ::opendir(directory.constData());
    if (!dir)
        return nullptr;
    auto index = std::make_shared<DirectoryIndex>();
    index->device = st.st_dev;
    index->inode = st.st_ino;
    index->modified = nanoseconds(st.st_mtim);
    index->changed = nanoseconds(st.st_ctim);
    index->trusted = std::max(index->modified, index->changed) + kTrustAfterNs < nanoseconds(now);
    while (const dirent* entry = ::readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        index->names.add(QByteArrayView(n, qsizetype(std::strlen(n))));
    }
    ::closedir(dir);
    const NameTable& names = index->names;
    index->firstByFoldedName.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        qsizetype& first = index->firstByFoldedName[names.folded(i)];
        if (first == 0 || names.name(i) < names.name(first - 1))
            first = i + 1;
    }
    return index;
}

// The directory's index, read again when the directory changed since it was remembered.
std::shared_ptr<DirectoryIndex> directoryIndex(const QByteArray& directory)
{
    struct stat st;
    if (::stat(directory.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return nullptr;
    auto& cache = indexCache();
    const auto it
        = std::find_if(cache.begin(), cache.end(), [&](const auto& entry) { return entry.first == directory; });
    std::shared_ptr<DirectoryIndex> index;
    if (it != cache.end()) {
        index = std::move(it->second);
        cache.erase(it);
    }
    if (!index || !index->matches(st))
        index = readIndex(directory, st);
    if (!index)
        return nullptr;
    if (cache.size() >= kMaxCachedDirectories)
        cache.pop_back();
    cache.insert(cache.begin(), { directory, index });
    return index;
}

QByteArray firstPatternMatch(DirectoryIndex& index, const QByteArray& pattern)
{
    const NameTable& names = index.names;
    if (!index.sorted) {
        index.byteOrder.reserve(size_t(index.firstByFoldedName.size()));
        for (const qsizetype first : std::as_const(index.firstByFoldedName))
            index.byteOrder.push_back(first - 1);
        std::sort(index.byteOrder.begin(), index.byteOrder.end(),
                  [&](qsizetype a, qsizetype b) { return names.name(a) < names.name(b); });
        index.sorted = true;
    }
    // A pattern matches names by what they read as, in either encoding.
    const auto unmarked
        = [](QByteArrayView folded) { return TextBytes::isWindows1252Folded(folded) ? folded.chopped(1) : folded; };
    const QByteArray foldedPattern = foldName(pattern);
    const QByteArrayView folded = unmarked(foldedPattern);
    const char* p = folded.data();
    for (const qsizetype i : index.byteOrder) {
        const QByteArrayView candidate = unmarked(names.folded(i));
        if (wildcardMatch(p, p + folded.size(), candidate.data(), candidate.data() + candidate.size()))
            return names.name(i).toByteArray();
    }
    return QByteArray();
}

enum class Patterns { Literal, Expand };

// What a path names on disk: the path with its file-name part as it exists (or as built, when
// nothing matches), and the entry's own status (lstat) when something was found.
struct Located
{
    QByteArray path;
    bool found = false;
    struct stat status
    {
    };
};

Located locate(const QByteArray& path, Patterns patterns)
{
    Located located { path };
    if (path.isEmpty())
        return located;
    if (::lstat(path.constData(), &located.status) == 0) {
        located.found = true;
        return located;
    }
    if (errno != ENOENT)
        return located;
    const DirAndName parts = splitPath(path);
    if (parts.name.isEmpty())
        return located;
    const std::shared_ptr<DirectoryIndex> index = directoryIndex(parts.directory);
    if (!index)
        return located;
    QByteArray onDisk;
    if (patterns == Patterns::Expand && hasWildcard(parts.name))
        onDisk = firstPatternMatch(*index, parts.name);
    else {
        const qsizetype first = index->firstByFoldedName.value(foldName(parts.name));
        if (first > 0)
            onDisk = index->names.name(first - 1).toByteArray();
    }
    if (onDisk.isEmpty())
        return located;
    const QByteArray resolved = withName(path, onDisk);
    if (::lstat(resolved.constData(), &located.status) == 0) {
        located.path = resolved;
        located.found = true;
    }
    return located;
}

// The status of what the entry finally stands for: itself, or for a link the file it points to.
bool targetStatus(const Located& located, struct stat& status)
{
    if (!S_ISLNK(located.status.st_mode)) {
        status = located.status;
        return true;
    }
    return ::stat(located.path.constData(), &status) == 0;
}

bool readOnly(const struct stat& status)
{
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closing can report a write that failed late (full disk on some file systems).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeFully(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

void writeNewFile(const QByteArray& path, const QByteArray& shownPath, const QByteArray& bytes)
{
    FileDescriptor fd(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid())
        throw ClipError::cannotCreate(shownPath);
    if (!writeFully(fd.get(), bytes) || !fd.close()) {
        ::unlink(path.constData());
        throw ClipError::streamWrite();
    }
}

// Errors that say the disk (or the user's share of it, or the file-size limit) has no room.
bool noRoom(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

// Writes over the file itself, where the folder takes no file beside it. The room for a longer
// text is taken before the first byte is overwritten, so that a text that does not fit leaves the
// old one whole here too.
void writeInPlace(const QByteArray& path, const QByteArray& shownPath, const QByteArray& bytes)
{
    // Not truncated by the open, and never blocking: what stands at the path now may no longer
    // be the file that was tested (a FIFO put there must neither hang the program nor be written).
    FileDescriptor fd(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status;
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw ClipError::cannotCreate(shownPath);
    const off_t oldSize = status.st_size;
    const off_t newSize = off_t(bytes.size());
    if (newSize > oldSize) {
        int reserved;
        do {
            reserved = ::fallocate(fd.get(), 0, oldSize, newSize - oldSize);
        } while (reserved != 0 && errno == EINTR);
        // A file system that cannot reserve room is written without; any other refusal leaves
        // the old text and its length.
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
            // Gives back what a partial reservation took; the error is reported either way.
            [[maybe_unused]] const int restored = ::ftruncate(fd.get(), oldSize);
            throw ClipError::streamWrite();
        }
    }
    if (!writeFully(fd.get(), bytes) || ::ftruncate(fd.get(), newSize) != 0 || !fd.close())
        throw ClipError::streamWrite();
}

bool deniedByFolder(int error)
{
    return error == EACCES || error == EPERM;
}

// Writes beside the target and renames over it, so that a short write leaves the old text.
// Returns false when the folder does not let us do that.
bool replaceAtomically(const QByteArray& target, const struct stat& old, bool root, const QByteArray& shownPath,
                       const QByteArray& bytes)
{
    QByteArray temporary = target.left(target.lastIndexOf('/') + 1) + ".snipwell-XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) {
        if (deniedByFolder(errno))
            return false;
        // A disk without room for one more file is full, as one without room for the text is.
        if (noRoom(errno))
            throw ClipError::streamWrite();
        throw ClipError::cannotCreate(shownPath);
    }
    // Owner first: changing it clears set-id bits that the mode below restores. Where the owner
    // cannot be kept, the file is ours, as a file made by a text editor would be.
    [[maybe_unused]] int owned = 0;
    if (root)
        owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
    else if (old.st_gid != ::getegid())
        owned = ::fchown(fd.get(), uid_t(-1), old.st_gid);
    (void)::fchmod(fd.get(), old.st_mode & 07777);
    if (!writeFully(fd.get(), bytes) || !fd.close()) {
        ::unlink(temporary.constData());
        throw ClipError::streamWrite();
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        if (deniedByFolder(error))
            return false;
        throw ClipError::cannotCreate(shownPath);
    }
    return true;
}

// The directory made current last through setCurrentDirectory, by the path it was entered by.
struct EnteredDirectory
{
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;
};

EnteredDirectory& enteredDirectory()
{
    static EnteredDirectory entered;
    return entered;
}

QByteArray realPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return QByteArray();
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

namespace ClipFiles {

QByteArray currentDirectory()
{
    char* cwd = ::getcwd(nullptr, 0);
    if (cwd) {
        QByteArray result(cwd);
        std::free(cwd);
        return result;
    }
    // A current directory that was removed has no path any more. When it is the one entered last,
    // its path still names where the clips belong: they are found again once a folder is back
    // there, and the list directory is not mistaken for a changed one meanwhile.
    const EnteredDirectory& entered = enteredDirectory();
    struct stat here;
    if (!entered.path.isEmpty() && ::stat(".", &here) == 0 && here.st_dev == entered.device
        && here.st_ino == entered.inode)
        return entered.path;
    // Otherwise relative paths find nothing, where an empty directory would turn every path into
    // one at the root.
    return QByteArrayLiteral(".");
}

bool setCurrentDirectory(const QByteArray& directory)
{
    if (directory.isEmpty() || ::chdir(directory.constData()) != 0)
        return false;
    EnteredDirectory& entered = enteredDirectory();
    struct stat here;
    if (directory.startsWith('/') && ::stat(".", &here) == 0)
        entered = { directory, here.st_dev, here.st_ino };
    else
        entered = {};
    return true;
}

bool exists(const QByteArray& path)
{
    const Located located = locate(path, Patterns::Expand);
    struct stat status;
    return located.found && targetStatus(located, status) && S_ISREG(status.st_mode);
}

QByteArray resolve(const QByteArray& path)
{
    return locate(path, Patterns::Literal).path;
}

QByteArray readAll(const QByteArray& path)
{
    // Non-blocking, so that a FIFO put in a clip's place cannot hang the program. The name as
    // given wins; only a miss looks for it in another letter case.
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    FileDescriptor fd(::open(path.constData(), flags));
    if (!fd.valid() && errno == ENOENT) {
        const QByteArray onDisk = resolve(path);
        if (onDisk != path)
            fd.reset(::open(onDisk.constData(), flags));
    }
    struct stat status;
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw ClipError::cannotOpen(path);
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    if (status.st_size > 0) {
        ssize_t got;
        do {
            got = ::read(fd.get(), bytes.data(), size_t(status.st_size));
        } while (got < 0 && errno == EINTR);
        if (got != status.st_size)
            throw ClipError::cannotOpen(path);
    }
    return bytes;
}

void writeAll(const QByteArray& path, const QByteArray& bytes)
{
    const Located located = locate(path, Patterns::Literal);
    if (!located.found) {
        // "*" and "?" are patterns here, never part of a new file's name.
        if (path.isEmpty() || hasWildcard(splitPath(path).name))
            throw ClipError::cannotCreate(path);
        writeNewFile(path, path, bytes);
        return;
    }
    struct stat status;
    if (!targetStatus(located, status) || !S_ISREG(status.st_mode) || readOnly(status))
        throw ClipError::cannotCreate(path);
    const bool root = ::geteuid() == 0;
    if (!root && ::faccessat(AT_FDCWD, located.path.constData(), W_OK, AT_EACCESS) != 0)
        throw ClipError::cannotCreate(path);
    // A link stays a link: the file it points to is the one replaced.
    const QByteArray target = S_ISLNK(located.status.st_mode) ? realPath(located.path) : located.path;
    if (target.isEmpty())
        throw ClipError::cannotCreate(path);
    if (!replaceAtomically(target, status, root, path, bytes))
        writeInPlace(target, path, bytes);
}

void createEmpty(const QByteArray& path)
{
    if (path.isEmpty() || hasWildcard(splitPath(path).name) || locate(path, Patterns::Literal).found)
        return;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::close(fd);
}

void remove(const QByteArray& path)
{
    const Located located = locate(path, Patterns::Literal);
    if (!located.found)
        return;
    // A file without any write permission stays, as a read-only file does on Windows.
    struct stat status;
    if (targetStatus(located, status) && readOnly(status))
        return;
    ::unlink(located.path.constData());
}

QList<QByteArray> listBodyFiles(const QByteArray& directory, const std::function<void(qsizetype)>& found)
{
    DIR* dir = ::opendir(directory.isEmpty() ? "." : directory.constData());
    if (!dir)
        return {};
    NameTable table;
    while (const dirent* entry = ::readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (!endsWithTxt(entry->d_name, length))
            continue;
        // Only links and file systems that leave the type open cost a stat.
        if (entry->d_type != DT_REG) {
            if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            struct stat st;
            if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        table.add(QByteArrayView(entry->d_name, qsizetype(length)));
        if (found)
            found(table.size());
    }
    ::closedir(dir);

    // The first sixteen folded bytes as two numbers decide most comparisons without touching
    // the names; longer names and equal folded names fall back to the bytes.
    struct SortKey
    {
        quint64 high;
        quint64 low;
        qsizetype index;
    };
    std::vector<SortKey> keys;
    keys.reserve(size_t(table.size()));
    for (qsizetype i = 0; i < table.size(); ++i) {
        unsigned char prefix[16] = {};
        const QByteArrayView folded = table.folded(i);
        std::memcpy(prefix, folded.data(), size_t(std::min<qsizetype>(folded.size(), 16)));
        quint64 high = 0;
        quint64 low = 0;
        for (int b = 0; b < 8; ++b) {
            high = high << 8 | prefix[b];
            low = low << 8 | prefix[b + 8];
        }
        keys.push_back({ high, low, i });
    }
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        const int byFolded = table.folded(a.index).compare(table.folded(b.index));
        return byFolded != 0 ? byFolded < 0 : table.name(a.index) < table.name(b.index);
    });
    QList<QByteArray> names;
    names.reserve(table.size());
    for (const SortKey& key : keys)
        names.append(table.name(key.index).toByteArray());
    return names;
}

} // namespace ClipFiles
