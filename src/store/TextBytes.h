#pragma once

#include <QByteArray>
#include <QString>

// Files hold bytes, editors hold Unicode. A clip file that starts with a byte-order mark of
// UTF-16 (FF FE little-endian, FE FF big-endian, as Windows Notepad writes "Unicode") is UTF-16;
// one whose bytes are valid UTF-8, after a UTF-8 mark or without one, is UTF-8; any other is
// Windows-1252 (the five bytes that code page leaves undefined map to U+0081, U+008D, U+008F,
// U+0090, U+009D and back). A text is saved in the encoding it was read in, with the same mark,
// so that a text opened and saved unchanged keeps every byte; the mark is never part of the text.
enum class TextEncoding { Utf8, Utf8WithMark, Windows1252, Utf16LittleEndian, Utf16BigEndian };

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    // The text ends at a zero character of the file, or the file has a byte that UTF-16 leaves
    // over: the text is not all of the file, and saving it would lose the rest.
    bool cut = false;
};

struct EncodedText
{
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::Utf8; // the one actually used
};

namespace TextBytes {

// The bytes of a name or of a text without marks: UTF-8 when valid, else Windows-1252.
DecodedText decode(const QByteArray& bytes);

// A clip file's bytes as clip text: the mark taken off, decoded, line breaks made CR LF and
// the text cut at its first zero character.
DecodedText decodeClipText(const QByteArray& raw);

// Encodes in the preferred encoding, with its mark; when a character cannot be written in it,
// the whole text is encoded as UTF-8 instead.
EncodedText encode(const QString& text, TextEncoding preferred);

// File names and paths: bytes kept as they are on disk; decoded only to be shown, each part
// between two "/" on its own, since a folder made on one system may hold names written on
// another. Names in different encodings may look alike; file operations use the bytes.
QString displayName(const QByteArray& name);

// A name's form for comparing names without regard to letter case: case-folded, as UTF-8. A
// name that is not valid UTF-8 is read as Windows-1252 and marked with a trailing 0xFF byte,
// which no UTF-8 text holds, so that it matches only names in its own encoding: "caf\xE9" and
// "CAF\xC9" are one name, "caf\xE9" and the UTF-8 "caf\xC3\xA9" two.
QByteArray foldedName(QByteArrayView name);
// Whether a folded name carries the mark of a name read as Windows-1252.
bool isWindows1252Folded(QByteArrayView folded);

// A name typed by the user becomes a file name in UTF-8.
QByteArray fileNameFromText(const QString& name);
// The same name as a system writing Windows-1252 stores it; null when that is no other name
// (plain ASCII) or the name has a character Windows-1252 lacks.
QByteArray windows1252FileNameFromText(const QString& name);

} // namespace TextBytes
