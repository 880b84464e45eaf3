#include "SafeWrite.h"

#include "ClipError.h"
#include "FileDescriptor.h"
#include "PathNames.h"

#include <QList>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

namespace {

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

// Writes everything and puts it on disk.
bool writeDurably(int fd, const QByteArray& bytes)
{
    return writeFully(fd, bytes) && ::fdatasync(fd) == 0;
}

// Errors that say the disk (or the user's share of it, or the file-size limit) has no room.
bool noRoom(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool deniedByFolder(int error)
{
    return error == EACCES || error == EPERM;
}

// Gives the new file the old one's extended attributes, ACLs among them. A file that another
// program removed meanwhile has none left to keep: the save then makes it anew, as a save
// just after the removal would.
bool copyAttributes(const QByteArray& from, int to)
{
    ssize_t size = ::llistxattr(from.constData(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP || errno == ENOENT;
    if (size == 0)
        return true;
    QByteArray names(size, Qt::Uninitialized);
    size = ::llistxattr(from.constData(), names.data(), size_t(names.size()));
    if (size < 0)
        return false;
    names.truncate(size);
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::lgetxattr(from.constData(), name.constData(), nullptr, 0);
        if (length < 0)
            return errno == ENOENT;
        QByteArray value(length, Qt::Uninitialized);
        const ssize_t got = ::lgetxattr(from.constData(), name.constData(), value.data(), size_t(length));
        if (got != length || ::fsetxattr(to, name.constData(), value.constData(), size_t(got), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new file everything the old one had but its text; false when something of it
// cannot be kept. Only what differs is changed, since file systems such as FAT refuse any change
// of owner or mode, also to what a file already has.
bool keepMetadata(const QByteArray& target, const struct stat& old, int fd)
{
    struct stat made;
    if (::fstat(fd, &made) != 0)
        return false;
    // Owner first: changing it clears set-id bits that the mode below restores.
    const bool ownerDiffers = made.st_uid != old.st_uid || made.st_gid != old.st_gid;
    if (ownerDiffers && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if ((ownerDiffers || (made.st_mode & 07777) != (old.st_mode & 07777)) && ::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    return copyAttributes(target, fd);
}

enum class Replaced { Yes, NotHere };

// Writes beside the target and renames over it, so that a short write or a power cut leaves the
// old text. NotHere when the folder or the file's metadata does not allow it.
Replaced replaceAtomically(const QByteArray& target, const struct stat& old, const QByteArray& shownPath,
                           const QByteArray& bytes)
{
    QByteArray temporary = PathNames::withFileName(target, ".snipwell-XXXXXX");
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) {
        if (deniedByFolder(errno))
            return Replaced::NotHere;
        // A disk without room for one more file is full, as one without room for the text is.
        if (noRoom(errno))
            throw ClipError::streamWrite();
        throw ClipError::cannotCreate(shownPath);
    }
    if (!keepMetadata(target, old, fd.get())) {
        ::unlink(temporary.constData());
        return Replaced::NotHere;
    }
    if (!writeDurably(fd.get(), bytes) || !fd.close()) {
        ::unlink(temporary.constData());
        throw ClipError::streamWrite();
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        if (deniedByFolder(error))
            return Replaced::NotHere;
        throw ClipError::cannotCreate(shownPath);
    }
    return Replaced::Yes;
}

// Writes over the file itself. The room for a longer text is taken before the first byte is
// overwritten, so that a text that does not fit leaves the old one whole here too.
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
        if (reserved != 0) {
            // Without a reservation a full disk could stop the write half way.
            if (errno == EOPNOTSUPP || errno == ENOSYS)
                throw ClipError::cannotCreate(shownPath);
            // Gives back what a partial reservation took; the error is reported either way.
            [[maybe_unused]] const int restored = ::ftruncate(fd.get(), oldSize);
            throw ClipError::streamWrite();
        }
    }
    if (!writeFully(fd.get(), bytes) || ::ftruncate(fd.get(), newSize) != 0 || ::fdatasync(fd.get()) != 0
        || !fd.close())
        throw ClipError::streamWrite();
}

} // namespace

namespace SafeWrite {

void createWith(const QByteArray& path, const QByteArray& shownPath, const QByteArray& bytes)
{
    FileDescriptor fd(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid())
        throw ClipError::cannotCreate(shownPath);
    if (!writeDurably(fd.get(), bytes) || !fd.close()) {
        ::unlink(path.constData());
        throw ClipError::streamWrite();
    }
}

void replace(const QByteArray& target, const struct stat& status, const QByteArray& shownPath,
             const QByteArray& bytes)
{
    if (status.st_nlink == 1 && replaceAtomically(target, status, shownPath, bytes) == Replaced::Yes)
        return;
    writeInPlace(target, shownPath, bytes);
}

} // namespace SafeWrite
