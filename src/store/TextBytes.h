#pragma once

#include <QByteArray>
#include <QString>

// Files hold bytes, editors hold Unicode. A file whose bytes are valid UTF-8 is read as UTF-8,
// any other as Windows-1252 (the five bytes that code page leaves undefined map to U+0081,
// U+008D, U+008F, U+0090, U+009D and back), so that a text opened and saved unchanged keeps
// every byte.
enum class TextEncoding { Utf8, Windows1252 };

struct DecodedText
{
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

struct EncodedText
{
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::Utf8; // the one actually used
};

namespace TextBytes {

DecodedText decode(const QByteArray& bytes);

// Encodes in the preferred encoding; when a character cannot be written in it, the whole
// text is encoded as UTF-8 instead.
EncodedText encode(const QString& text, TextEncoding preferred);

// File names and paths: bytes kept as they are on disk; decoded only to be shown.
QString displayName(const QByteArray& name);
// A name typed by the user becomes a file name in UTF-8.
QByteArray fileNameFromText(const QString& name);

} // namespace TextBytes
