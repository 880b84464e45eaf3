#include "TextBytes.h"

#include "LineBreaks.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Windows-1252 at 0x80..0x9F; the five bytes the code page leaves undefined stand for the C1
// control characters of the same number, so that they come back unchanged.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

bool encodeWindows1252(const QString& text, QByteArray& bytes)
{
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            *out++ = char(c);
            continue;
        }
        const char16_t* found = std::find(std::begin(kWindows1252High), std::end(kWindows1252High), c);
        if (found == std::end(kWindows1252High))
            return false;
        *out++ = char(0x80 + (found - kWindows1252High));
    }
    return true;
}

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LittleEndianMark[] = "\xFF\xFE";
constexpr char kUtf16BigEndianMark[] = "\xFE\xFF";

// The code units after the mark, as they are: a lone surrogate comes back unchanged.
QString decodeUtf16(const QByteArray& raw, bool bigEndian)
{
    const qsizetype units = (raw.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    const auto* in = reinterpret_cast<const unsigned char*>(raw.constData()) + 2;
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < units; ++i, in += 2)
        out[i] = bigEndian ? char16_t(in[0] << 8 | in[1]) : char16_t(in[1] << 8 | in[0]);
    return text;
}

QByteArray encodeUtf16(const QString& text, bool bigEndian)
{
    QByteArray bytes(bigEndian ? kUtf16BigEndianMark : kUtf16LittleEndianMark, 2);
    bytes.resize(2 + text.size() * 2);
    auto* out = reinterpret_cast<unsigned char*>(bytes.data()) + 2;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        *out++ = static_cast<unsigned char>(bigEndian ? c >> 8 : c & 0xFF);
        *out++ = static_cast<unsigned char>(bigEndian ? c & 0xFF : c >> 8);
    }
    return bytes;
}

// Never part of UTF-8 text, so it keeps the folded forms of the two encodings apart.
constexpr char kWindows1252Mark = '\xFF';

} // namespace

namespace TextBytes {

DecodedText decode(const QByteArray& bytes)
{
    // QString::fromUtf8 is the fast decoder, but it drops a leading byte-order mark (which must
    // be saved back) and replaces bad bytes silently. So it decodes only texts without a mark,
    // and a text in which a replacement character turns up is checked strictly.
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        QString text = QString::fromUtf8(bytes);
        if (!text.contains(QChar::ReplacementCharacter))
            return { std::move(text), TextEncoding::Utf8 };
    }
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return { std::move(text), TextEncoding::Utf8 };
    return { decodeWindows1252(bytes), TextEncoding::Windows1252 };
}

DecodedText decodeClipText(const QByteArray& raw)
{
    const bool bigEndian = raw.startsWith(kUtf16BigEndianMark);
    if (bigEndian || raw.startsWith(kUtf16LittleEndianMark)) {
        const QString units = decodeUtf16(raw, bigEndian);
        const bool cut = raw.size() % 2 != 0 || units.contains(QChar(u'\0'));
        return { LineBreaks::normalise(units),
                 bigEndian ? TextEncoding::Utf16BigEndian : TextEncoding::Utf16LittleEndian, cut };
    }
    const bool cut = std::memchr(raw.constData(), 0, size_t(raw.size())) != nullptr;
    const QByteArray normal = LineBreaks::normalise(raw);
    if (normal.startsWith(kUtf8Mark)) {
        DecodedText afterMark = decode(normal.mid(3));
        if (afterMark.encoding == TextEncoding::Utf8)
            return { std::move(afterMark.text), TextEncoding::Utf8WithMark, cut };
        return { decodeWindows1252(normal), TextEncoding::Windows1252, cut };
    }
    DecodedText decoded = decode(normal);
    decoded.cut = cut;
    return decoded;
}

EncodedText encode(const QString& text, TextEncoding preferred)
{
    switch (preferred) {
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
        return { encodeUtf16(text, preferred == TextEncoding::Utf16BigEndian), preferred };
    case TextEncoding::Utf8WithMark:
        return { kUtf8Mark + text.toUtf8(), preferred };
    case TextEncoding::Windows1252: {
        QByteArray bytes;
        if (encodeWindows1252(text, bytes))
            return { std::move(bytes), TextEncoding::Windows1252 };
        break;
    }
    case TextEncoding::Utf8:
        break;
    }
    return { text.toUtf8(), TextEncoding::Utf8 };
}

QString displayName(const QByteArray& name)
{
    if (!name.contains('/'))
        return decode(name).text;
    QString shown;
    shown.reserve(name.size());
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = name.indexOf('/', start);
        shown += decode(name.mid(start, slash < 0 ? -1 : slash - start)).text;
        if (slash < 0)
            return shown;
        shown += QLatin1Char('/');
        start = slash + 1;
    }
}

QByteArray foldedName(QByteArrayView name)
{
    const DecodedText decoded = decode(name.toByteArray());
    QByteArray folded = decoded.text.toCaseFolded().toUtf8();
    if (decoded.encoding == TextEncoding::Windows1252)
        folded += kWindows1252Mark;
    return folded;
}

bool isWindows1252Folded(QByteArrayView folded)
{
    return folded.endsWith(kWindows1252Mark);
}

QByteArray fileNameFromText(const QString& name)
{
    return name.toUtf8();
}

QByteArray windows1252FileNameFromText(const QString& name)
{
    QByteArray bytes;
    // Bytes that read as UTF-8 would name a file shown as another text.
    if (!encodeWindows1252(name, bytes) || decode(bytes).encoding == TextEncoding::Utf8)
        return QByteArray();
    return bytes;
}

} // namespace TextBytes
