// The splash picture's decoder on altered copies of the picture: every failure must come back as
// the program's error "JPEG error #N" with one of libjpeg's message codes.
#include "ClipError.h"
#include "FuzzCheck.h"
#include "JpegPicture.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// The embedded picture has 70,000 pixels. Headers that claim far more are read, but not decoded:
// the decoder would spend the run's time and memory on pixels the fuzzer cannot shape.
constexpr qint64 kMaxPixels = 1 << 18;

// libjpeg is the system's library, built without the fuzzer's coverage: the fuzzer sees only the
// code of this program. These counters tell it which of libjpeg's error and warning codes an
// input reached in each phase, so that inputs reaching a new one are kept and mutated further.
enum Phase { HeaderError, TrueColourError, PaletteError, TrueColourWarning, PaletteWarning, Phases };
__attribute__((used, section("__libfuzzer_extra_counters"))) uint8_t s_reached[Phases][JMSG_LASTMSGCODE];

void noteReached(Phase phase, int code)
{
    if (code > JMSG_NOMESSAGE && code < JMSG_LASTMSGCODE)
        s_reached[phase][code] = 1;
}

// "JPEG error #N" with N one of libjpeg's message codes.
bool isJpegError(const ClipError& error, int* code = nullptr)
{
    const QString prefix = QStringLiteral("JPEG error #");
    const QString message = error.message();
    if (!message.startsWith(prefix))
        return false;
    bool ok = false;
    const int n = message.mid(prefix.size()).toInt(&ok);
    if (code)
        *code = n;
    return ok && n > JMSG_NOMESSAGE && n < JMSG_LASTMSGCODE;
}

void report(const ClipError& error)
{
    std::fprintf(stderr, "error: %s\n", error.what());
}

void decodeAt(const JpegPicture& picture, int depth)
{
    JpegPicture::fixDisplayDepth(depth);
    const bool palette = depth <= 8;
    QImage image;
    try {
        const JpegPicture::Warnings warnings = picture.decode(image);
        FUZZ_CHECK(warnings.count >= 0);
        if (warnings.count > 0) {
            FUZZ_CHECK(warnings.first > JMSG_NOMESSAGE && warnings.first < JMSG_LASTMSGCODE);
            noteReached(palette ? PaletteWarning : TrueColourWarning, warnings.first);
        }
    } catch (const ClipError& error) {
        int code = 0;
        if (!isJpegError(error, &code))
            report(error);
        FUZZ_CHECK(isJpegError(error, &code));
        noteReached(palette ? PaletteError : TrueColourError, code);
        // Only a picture too large to hold has no image; otherwise the rows decoded before the
        // error are kept, the rest black.
        if (code == JERR_OUT_OF_MEMORY)
            return;
    }
    FUZZ_CHECK(image.size() == picture.size());
    FUZZ_CHECK(image.format() == (palette ? QImage::Format_Indexed8 : QImage::Format_RGB888));
    if (palette) {
        const int colours = image.colorCount();
        FUZZ_CHECK(colours >= 1 && colours <= JpegPicture::kPaletteColours);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* indices = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                FUZZ_CHECK(indices[x] < colours);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const JpegPicture picture(bytes);
        FUZZ_CHECK(picture.size().width() > 0 && picture.size().height() > 0);
        FUZZ_CHECK(picture.components() > 0);
        if (qint64(picture.size().width()) * picture.size().height() > kMaxPixels)
            return 0;
        decodeAt(picture, 24);
        decodeAt(picture, 8);
    } catch (const ClipError& error) {
        int code = 0;
        if (!isJpegError(error, &code))
            report(error);
        FUZZ_CHECK(isJpegError(error, &code));
        noteReached(HeaderError, code);
    }
    return 0;
}
