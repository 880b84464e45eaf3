#pragma once

#include <QByteArray>

#include <sys/stat.h>

// Writing a clip file so that a failure or a power cut never leaves a mix of old and new text.
//
// - A new file is made with O_EXCL, written and synced (fdatasync).
// - An existing file is replaced atomically: a temporary file in the same folder gets the old
//   file's owner and group (where permitted), mode, extended attributes and ACLs, then the text,
//   is synced and renamed over the old one. A power cut leaves the old text or the new one.
// - It is written in place instead when the folder takes no file beside it, when the file has
//   more than one hard link (every name must see the new text), and when its owner, mode or
//   attributes could not be given to a new file. Room for a longer text is reserved first
//   (fallocate), so that a full disk leaves the old text whole; where room cannot be reserved a
//   longer text is refused rather than risked. The text is synced before the call returns; a
//   power cut during the write itself can leave a mix, which only the atomic path rules out.
namespace SafeWrite {

// Makes the file at path, which must not exist yet, holding the bytes. Throws "Cannot create
// file %s" (with shownPath) or "Stream write error".
void createWith(const QByteArray& path, const QByteArray& shownPath, const QByteArray& bytes);

// Replaces the bytes of the regular file at target (not a link); status is its stat. Throws
// "Cannot create file %s" (with shownPath) when it cannot be written, "Stream write error" when
// the disk or the file-size limit has no room; the old bytes then stay.
void replace(const QByteArray& target, const struct stat& status, const QByteArray& shownPath,
             const QByteArray& bytes);

} // namespace SafeWrite
