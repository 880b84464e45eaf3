// Line-break normalisation of a file's bytes and the editor-to-clip conversion.
#include "FuzzCheck.h"
#include "LineBreaks.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

// The reading rules byte by byte: CR LF, a lone CR and a lone LF each give CR LF, the text ends
// at its first zero byte. The library scans sixteen bytes at a time; this is the slow reading
// that it must agree with.
QByteArray byteByByte(const QByteArray& raw)
{
    QByteArray out;
    for (qsizetype i = 0; i < raw.size() && raw[i] != '\0'; ++i) {
        if (raw[i] == '\r' || raw[i] == '\n') {
            if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else {
            out += raw[i];
        }
    }
    return out;
}

// Every CR is followed by an LF and every LF follows a CR.
template <typename Text, typename Unit> bool onlyPairs(const Text& text, Unit cr, Unit lf)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == cr && (i + 1 == text.size() || text[i + 1] != lf))
            return false;
        if (text[i] == lf && (i == 0 || text[i - 1] != cr))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Over the fuzzer's own buffer, which ends exactly at `size`: a read past the end is caught.
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray text = LineBreaks::normalise(raw);

    FUZZ_CHECK(!text.contains('\0'));
    FUZZ_CHECK(onlyPairs(text, '\r', '\n'));
    FUZZ_CHECK(text == byteByByte(raw));
    // A text in clip form is handed on byte for byte: reading a saved file again changes nothing.
    FUZZ_CHECK(LineBreaks::normalise(text) == text);
    const qsizetype zero = raw.indexOf('\0');
    const QByteArray beforeZero = zero < 0 ? raw : raw.left(zero);
    if (onlyPairs(beforeZero, '\r', '\n'))
        FUZZ_CHECK(text == beforeZero);
    FUZZ_CHECK(text.size() <= 2 * beforeZero.size());

    // The editor's side: every character a byte (Latin-1), so both conversions read the same
    // breaks; a paragraph separator is one more kind of break.
    const QString editorText = QString::fromLatin1(beforeZero);
    const QString clipText = LineBreaks::toClipText(editorText);
    FUZZ_CHECK(clipText.toLatin1() == text);
    FUZZ_CHECK(LineBreaks::toClipText(clipText) == clipText);

    QString withParagraphs = editorText;
    withParagraphs.replace(u'\n', QChar::ParagraphSeparator);
    const QString fromParagraphs = LineBreaks::toClipText(withParagraphs);
    FUZZ_CHECK(!fromParagraphs.contains(QChar::ParagraphSeparator));
    FUZZ_CHECK(onlyPairs(fromParagraphs, QChar(u'\r'), QChar(u'\n')));
    return 0;
}
