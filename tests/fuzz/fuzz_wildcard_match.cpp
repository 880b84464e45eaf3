// The "*" and "?" matcher of folded names, against a slow matcher that cannot get it wrong.
// Input: PATTERN, a zero byte, TEXT (a pattern holds no zero byte, so it is the natural separator).
#include "FuzzCheck.h"
#include "NameIndex.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Every "*" and "?" over every split of the text into characters: the text is cut first, a
// character being a byte and the continuation bytes (10xxxxxx) after it, so that "?" ends at the
// next cut, whatever byte a literal left it on. Row i, column t: pattern from i matches text from
// t; a row needs only the one after it and its own later columns.
bool slowMatch(QByteArrayView pattern, QByteArrayView text)
{
    const size_t n = size_t(text.size());
    std::vector<size_t> nextCut(n);
    for (size_t t = n; t-- > 0;) {
        const bool cut = t + 1 == n || (static_cast<unsigned char>(text[t + 1]) & 0xC0) != 0x80;
        nextCut[t] = cut ? t + 1 : nextCut[t + 1];
    }
    std::vector<bool> after(n + 1, false);
    after[n] = true;
    for (size_t i = size_t(pattern.size()); i-- > 0;) {
        std::vector<bool> row(n + 1, false);
        for (size_t t = n + 1; t-- > 0;) {
            const bool more = t < n;
            if (pattern[i] == '*') // none, or one character and "*" again
                row[t] = after[t] || (more && row[nextCut[t]]);
            else if (pattern[i] == '?')
                row[t] = more && after[nextCut[t]];
            else
                row[t] = more && pattern[i] == text[t] && after[t + 1];
        }
        after.swap(row);
    }
    return after[0];
}

// The matcher's inputs are folded names, which are always UTF-8: it steps back to a "*" by whole
// characters, so a continuation byte right after a "*" (never in UTF-8) is beyond its remit.
bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    [[maybe_unused]] const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Views into the fuzzer's own buffer, which ends exactly at `size`: a read past either end
    // is caught.
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype zero = input.indexOf('\0');
    if (zero < 0)
        return 0;
    const QByteArrayView pattern = input.first(zero);
    const QByteArrayView text = input.sliced(zero + 1);
    if (!validUtf8(pattern) || !validUtf8(text))
        return 0;

    FUZZ_CHECK(NameIndex::wildcardMatch(pattern, text) == slowMatch(pattern, text));
    // Taken as a pattern, a name without "*" or "?" matches itself.
    if (!text.contains('*') && !text.contains('?'))
        FUZZ_CHECK(NameIndex::wildcardMatch(text, text));
    return 0;
}
