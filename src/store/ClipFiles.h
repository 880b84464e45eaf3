#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

// The store's contact with the file system: POSIX calls on byte paths. Names are found through
// NameIndex; files are written through SafeWrite, which says what each way of writing keeps.
namespace ClipFiles {

// The process's current directory, as the kernel reports it. Once removed, it has no path: then
// the path it was entered by through setCurrentDirectory, while it is still that directory;
// otherwise ".".
QByteArray currentDirectory();

// Makes the directory the process's current directory; false when it cannot be entered (then the
// current directory stays as it was).
bool setCurrentDirectory(const QByteArray& directory);

// Whether a regular file (or a link to one) exists at the path. The file-name part is matched
// without regard to letter case, and "*" and "?" in it act as wildcards; the first match in byte
// order of names decides, and a directory, FIFO, socket or device is no file. Never opens the
// file. Cheap in a folder of 100,000 files: a folder's listing is remembered while its time
// stamps show no change since it was read (NameIndex).
bool exists(const QByteArray& path);

// The path with its file-name part replaced by the name that exists on disk: an exact match
// wins, otherwise the first case-insensitive match in byte order. A path with no match is
// returned as built. "*" and "?" are not patterns here, so that reading, writing and deleting
// never reach a file other than the one named.
QByteArray resolve(const QByteArray& path);

// The path spelt as the file's name is on disk, for a file found at the path: as resolve does,
// and also in a folder that ignores letter case, where the path as built reaches the file too.
// Reads the folder only in such a folder, or when the name as built is missing.
QByteArray nameOnDisk(const QByteArray& path);

// Reads the whole file in one read. Throws "Cannot open file %s" (with the path) when the file
// cannot be opened, is not a regular file, or the read comes up short, and "Text exceeds memo
// capacity" for a file of more than maxBytes (when not negative) before reading any of it.
QByteArray readAll(const QByteArray& path, qsizetype maxBytes = -1);

// Replaces the file's bytes (SafeWrite::replace), for a link the bytes of the file it points to.
// A missing file is created, unless its name holds "*" or "?". Throws "Cannot create file %s"
// when the file cannot be written (no write permission bit at all counts as read-only, also for
// root; a directory, FIFO or socket; no permission) and "Stream write error" when the disk or the
// file-size limit has no room for the text; the old bytes then stay. Never blocks on what
// stands at the path.
// Messages name shownPath when given.
void writeAll(const QByteArray& path, const QByteArray& bytes, const QByteArray& shownPath = {});

// Creates an empty file if nothing exists at the path yet; the result is not reported.
void createEmpty(const QByteArray& path);

// Removes the file unless it is read-only (no write permission bit); the result is not reported.
void remove(const QByteArray& path);

// The names of the regular files (or links to them) in the directory whose names end in ".txt"
// without regard to letter case, dot-files included, sorted without regard to letter case with
// a byte-order tie-break. An empty list when the directory cannot be read. While reading, found
// is told how many names have been found so far, after each one.
QList<QByteArray> listBodyFiles(const QByteArray& directory, const std::function<void(qsizetype)>& found = {});

} // namespace ClipFiles
