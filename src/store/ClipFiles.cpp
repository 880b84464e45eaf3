#include "ClipFiles.h"

#include "ClipError.h"
#include "FileDescriptor.h"
#include "NameIndex.h"
#include "PathNames.h"
#include "SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool hasWildcard(const QByteArray& name)
{
    return name.contains('*') || name.contains('?');
}

bool endsWithTxt(QByteArrayView name)
{
    if (name.size() < 4)
        return false;
    const char* ext = name.data() + name.size() - 4;
    return ext[0] == '.' && (ext[1] | 0x20) == 't' && (ext[2] | 0x20) == 'x' && (ext[3] | 0x20) == 't';
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
    const QByteArray name = PathNames::fileNamePart(path);
    if (name.isEmpty())
        return located;
    const std::shared_ptr<NameIndex::Listing> listing = NameIndex::listing(PathNames::directoryPart(path));
    if (!listing)
        return located;
    const QByteArray onDisk = patterns == Patterns::Expand && hasWildcard(name) ? listing->firstPatternMatch(name)
                                                                                 : listing->firstCaseMatch(name);
    if (onDisk.isEmpty())
        return located;
    const QByteArray resolved = PathNames::withFileName(path, onDisk);
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

// The name with its ASCII letters in the other case; the name itself when it has none.
QByteArray otherCase(const QByteArray& name)
{
    QByteArray swapped = name;
    for (char& c : swapped) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            c = char(c ^ 0x20);
    }
    return swapped;
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

QByteArray nameOnDisk(const QByteArray& path)
{
    const Located located = locate(path, Patterns::Literal);
    if (!located.found || located.path != path)
        return located.path;
    // Found as built. In a folder that ignores letter case (FAT, SMB, casefolded ext4) the same
    // file answers to the name in the other case too, and only the listing has its spelling.
    const QByteArray name = PathNames::fileNamePart(path);
    const QByteArray swapped = otherCase(name);
    struct stat other;
    if (swapped == name || ::lstat(PathNames::withFileName(path, swapped).constData(), &other) != 0)
        return path;
    const std::shared_ptr<NameIndex::Listing> listing = NameIndex::listing(PathNames::directoryPart(path));
    if (!listing || listing->holds(name))
        return path;
    const QByteArray spelt = listing->firstCaseMatch(name);
    return spelt.isEmpty() ? path : PathNames::withFileName(path, spelt);
}

QByteArray readAll(const QByteArray& path, qsizetype maxBytes)
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
    if (maxBytes >= 0 && status.st_size > maxBytes)
        throw ClipError::exceedsCapacity();
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

void writeAll(const QByteArray& path, const QByteArray& bytes, const QByteArray& shownPath)
{
    const QByteArray& shown = shownPath.isEmpty() ? path : shownPath;
    const Located located = locate(path, Patterns::Literal);
    if (!located.found) {
        // "*" and "?" are patterns here, never part of a new file's name.
        if (path.isEmpty() || hasWildcard(PathNames::fileNamePart(path)))
            throw ClipError::cannotCreate(shown);
        SafeWrite::createWith(path, shown, bytes);
        return;
    }
    struct stat status;
    if (!targetStatus(located, status) || !S_ISREG(status.st_mode) || readOnly(status))
        throw ClipError::cannotCreate(shown);
    const bool root = ::geteuid() == 0;
    if (!root && ::faccessat(AT_FDCWD, located.path.constData(), W_OK, AT_EACCESS) != 0)
        throw ClipError::cannotCreate(shown);
    // A link stays a link: the file it points to is the one replaced.
    const QByteArray target = S_ISLNK(located.status.st_mode) ? realPath(located.path) : located.path;
    if (target.isEmpty())
        throw ClipError::cannotCreate(shown);
    SafeWrite::replace(target, status, shown, bytes);
}

void createEmpty(const QByteArray& path)
{
    if (path.isEmpty() || hasWildcard(PathNames::fileNamePart(path)) || locate(path, Patterns::Literal).found)
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
    // The folder is read through its name index, which the lookups that follow then use.
    NameIndex::Reader reader(directory.isEmpty() ? QByteArrayLiteral(".") : directory);
    if (!reader.valid())
        return {};
    std::vector<qsizetype> bodies;
    QByteArrayView name;
    unsigned char type;
    for (qsizetype entry = 0; reader.next(name, type); ++entry) {
        if (!endsWithTxt(name))
            continue;
        // Only links and file systems that leave the type open cost a stat.
        if (type != DT_REG) {
            if (type != DT_LNK && type != DT_UNKNOWN)
                continue;
            struct stat st;
            if (::fstatat(reader.directoryDescriptor(), name.data(), &st, 0) != 0
                || !S_ISREG(st.st_mode))
                continue;
        }
        bodies.push_back(entry);
        if (found)
            found(qsizetype(bodies.size()));
    }
    const std::shared_ptr<NameIndex::Listing> listing = reader.finish();
    const NameIndex::NameTable& table = listing->names();

    // The first sixteen folded bytes as two numbers decide most comparisons without touching
    // the names; longer names and equal folded names fall back to the bytes.
    struct SortKey
    {
        quint64 high;
        quint64 low;
        qsizetype index;
    };
    std::vector<SortKey> keys;
    keys.reserve(bodies.size());
    for (const qsizetype i : bodies) {
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
    names.reserve(qsizetype(keys.size()));
    for (const SortKey& key : keys)
        names.append(table.name(key.index).toByteArray());
    return names;
}

} // namespace ClipFiles
