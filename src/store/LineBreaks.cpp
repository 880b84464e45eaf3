#include "LineBreaks.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Where the text ends (at its first zero byte), how many CR and LF bytes it holds, and
// whether they all stand in CR LF pairs already: then the text is in clip form and is handed on
// without a copy, which is what files saved by the store hold.
struct BreakScan
{
    const char* end = nullptr;
    bool onlyPairs = true;
    qsizetype breakBytes = 0;
};

#if defined(__SSE2__)
// Sixteen bytes at a time; the baseline target has no popcount instruction.
int bitCount16(unsigned v)
{
    v = v - ((v >> 1) & 0x5555);
    v = (v & 0x3333) + ((v >> 2) & 0x3333);
    v = (v + (v >> 4)) & 0x0F0F;
    return int((v + (v >> 8)) & 0x1F);
}

unsigned maskOf(__m128i v, char c)
{
    return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))));
}
#endif

BreakScan scanBreaks(const char* p, const char* end)
{
    BreakScan scan;
    // Whether the byte before p was a CR, which then needs an LF at p.
    bool carry = false;
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned crs = maskOf(v, '\r');
        const unsigned lfs = maskOf(v, '\n');
        if (maskOf(v, '\0') != 0)
            break; // the bytewise loop below finds it
        if ((crs | lfs | unsigned(carry)) == 0)
            continue;
        scan.breakBytes += bitCount16(crs) + bitCount16(lfs);
        if (lfs != (((crs << 1) | unsigned(carry)) & 0xFFFF))
            scan.onlyPairs = false;
        carry = crs >> 15;
    }
#endif
    for (; p < end && *p != '\0'; ++p) {
        const bool isCr = *p == '\r';
        const bool isLf = *p == '\n';
        scan.breakBytes += isCr + isLf;
        if (isLf != carry)
            scan.onlyPairs = false;
        carry = isCr;
    }
    scan.end = p;
    if (carry)
        scan.onlyPairs = false;
    return scan;
}

// The bytes before the next CR or LF, at most up to `end`.
const char* nextBreak(const char* p, const char* end)
{
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (const unsigned breaks = maskOf(v, '\r') | maskOf(v, '\n'))
            return p + __builtin_ctz(breaks);
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

} // namespace

namespace LineBreaks {

QByteArray normalise(const QByteArray& raw)
{
    const char* begin = raw.constData();
    const BreakScan scan = scanBreaks(begin, begin + raw.size());
    const char* end = scan.end;
    if (scan.onlyPairs)
        return end == begin + raw.size() ? raw : raw.left(end - begin);

    // A break grows by at most one byte.
    QByteArray out((end - begin) + scan.breakBytes, Qt::Uninitialized);
    char* o = out.data();
    const char* p = begin;
    while (p < end) {
        const char* run = p;
        p = nextBreak(p, end);
        std::memcpy(o, run, size_t(p - run));
        o += p - run;
        if (p == end)
            break;
        // CR LF, a lone CR and a lone LF each become one CR LF.
        if (*p == '\r' && p + 1 < end && p[1] == '\n')
            ++p;
        ++p;
        *o++ = '\r';
        *o++ = '\n';
    }
    out.truncate(o - out.constData());
    return out;
}

QString normalise(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(u'\0'));
    return toClipText(zero < 0 ? text : text.left(zero), false);
}

QString toClipText(const QString& text, bool paragraphSeparators)
{
    const QChar separator = paragraphSeparators ? QChar::ParagraphSeparator : QChar(u'\n');
    QString out;
    out.reserve(text.size() + text.size() / 16 + 1);
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (p < end) {
        const QChar* run = p;
        while (p < end && *p != u'\r' && *p != u'\n' && *p != separator)
            ++p;
        out.append(run, p - run);
        if (p == end)
            break;
        if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
            ++p;
        ++p;
        out.append(u"\r\n");
    }
    return out;
}

} // namespace LineBreaks
