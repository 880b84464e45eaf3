#pragma once

#include <QByteArray>

// Path arithmetic on byte strings; "/" is the only separator.
namespace PathNames {

// Everything before the last "." of the file-name part, then the extension (which includes its
// dot, or is empty). A dot in the directory part never counts.
QByteArray changeExtension(const QByteArray& path, const QByteArray& extension);

// Everything after the last "/"; the whole path when it holds none.
QByteArray fileNamePart(const QByteArray& path);

// The folder part as system calls take it: "." for a bare name, "/" for a name at the root.
QByteArray directoryPart(const QByteArray& path);

// The path with its file-name part replaced by name.
QByteArray withFileName(const QByteArray& path, const QByteArray& name);

// The file-name part without its last extension: "/clips/a.b.txt" gives "a.b", "/clips/.txt" "".
QByteArray clipNameOfPath(const QByteArray& path);

// Whether two paths are the same without regard to letter case (of any script, as the store
// reads names). Names in different encodings differ even where they read alike.
bool equalIgnoringCase(const QByteArray& a, const QByteArray& b);

// Directory + "/" + name, with the separator appended unconditionally (so "/" gives "//name").
QByteArray join(const QByteArray& directory, const QByteArray& name);

} // namespace PathNames
