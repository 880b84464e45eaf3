#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTest>

#include "ClipError.h"
#include "JpegPicture.h"
#include "SplashPicture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <jpeglib.h>
#include <jerror.h>

namespace {

QString jpegError(int code)
{
    return QStringLiteral("JPEG error #%1").arg(code);
}

// The offset of the n-th marker `code` (0xFF, code) in a JPEG stream; entropy-coded data stuffs
// every 0xFF byte, so only real markers match.
qsizetype markerOffset(const QByteArray& bytes, uchar code, int n = 1)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        if (uchar(bytes[i]) == 0xFF && uchar(bytes[i + 1]) == code && --n == 0)
            return i;
    }
    return -1;
}

// The picture with bytes of the n-th segment of a marker overwritten, counted from the marker.
QByteArray withSegmentBytes(uchar marker, int n, int offsetInSegment, const QByteArray& values)
{
    QByteArray bytes = SplashPicture::bytes();
    const qsizetype at = markerOffset(bytes, marker, n);
    if (at < 0)
        qFatal("marker 0x%02x not found", marker);
    bytes.replace(at + offsetInSegment, values.size(), values);
    return bytes;
}

constexpr uchar kSof2 = 0xC2;
constexpr uchar kSos = 0xDA;

// Runs `call` with stderr caught; returns what it wrote there.
template <typename Call> QByteArray stderrOf(Call&& call)
{
    std::fflush(stderr);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK) != 0)
        qFatal("pipe");
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    call();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(pipeEnds[1]);
    QFile readEnd;
    if (!readEnd.open(pipeEnds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        qFatal("pipe");
    return readEnd.readAll();
}

// Each channel within `tolerance` of the expected colour.
bool near(QRgb actual, QRgb expected, int tolerance = 8)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance
        && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class TestJpegPicture : public QObject
{
    Q_OBJECT

private slots:
    void init() { JpegPicture::fixDisplayDepth(24); }
    void cleanupTestCase() { JpegPicture::fixDisplayDepth(24); }

    void embeddedPictureDecodesInTrueColour();
    void eightBitDisplayGivesAtMost236Colours();
    void truncatedPictureDecodesWithAWarningOnly();
    void brokenHeaderIsAJpegError_data();
    void brokenHeaderIsAJpegError();
    void brokenScanFailsTheDecodeOnly();
};

void TestJpegPicture::embeddedPictureDecodesInTrueColour()
{
    const JpegPicture picture(SplashPicture::bytes());
    QCOMPARE(picture.size(), QSize(350, 200));
    QCOMPARE(picture.components(), 3);
    QVERIFY(picture.isProgressive());

    QImage image;
    const JpegPicture::Warnings warnings = picture.decode(image);
    QCOMPARE(warnings.count, 0);
    QCOMPARE(image.size(), QSize(350, 200));
    QCOMPARE(image.format(), QImage::Format_RGB888);
    // Rows are padded to 32 bits: a decode that wrote 1050-byte rows would shear the picture.
    QCOMPARE(image.bytesPerLine(), 1052);

    // The artwork's dark bands at the top corners, the light background between band and name:
    // red and blue swapped or a sheared row would miss them.
    QVERIFY(near(image.pixel(2, 2), qRgb(0x00, 0x25, 0x4A)));
    QVERIFY(near(image.pixel(347, 2), qRgb(0x23, 0x33, 0x81)));
    QVERIFY(near(image.pixel(3, 180), qRgb(0x23, 0x33, 0x81)));
    QVERIFY(near(image.pixel(175, 60), qRgb(0xF6, 0xF9, 0xFE)));
}

void TestJpegPicture::eightBitDisplayGivesAtMost236Colours()
{
    const JpegPicture picture(SplashPicture::bytes());
    // 16 bits per pixel is still colour enough.
    JpegPicture::fixDisplayDepth(16);
    QImage trueColour;
    picture.decode(trueColour);
    QCOMPARE(trueColour.format(), QImage::Format_RGB888);

    JpegPicture::fixDisplayDepth(8);
    QImage indexed;
    picture.decode(indexed);
    QCOMPARE(indexed.size(), QSize(350, 200));
    QCOMPARE(indexed.format(), QImage::Format_Indexed8);
    QVERIFY(indexed.colorCount() > 16);
    QVERIFY(indexed.colorCount() <= JpegPicture::kPaletteColours);

    // Dithered, so single pixels stray; on average the picture keeps its colours. A palette read
    // in the wrong order would not.
    qint64 difference = 0;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* indices = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            QVERIFY(indices[x] < indexed.colorCount());
            const QRgb a = indexed.color(indices[x]);
            const QRgb b = trueColour.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    }
    const double perChannel = double(difference) / (350.0 * 200.0 * 3.0);
    QVERIFY2(perChannel < 6.0, qPrintable(QString::number(perChannel)));
}

void TestJpegPicture::truncatedPictureDecodesWithAWarningOnly()
{
    const QByteArray whole = SplashPicture::bytes();
    const JpegPicture picture(whole.left(whole.size() / 2));
    QCOMPARE(picture.size(), QSize(350, 200));

    for (const int depth : { 24, 8 }) {
        JpegPicture::fixDisplayDepth(depth);
        QImage image;
        JpegPicture::Warnings warnings;
        // Warnings are counted, never printed.
        const QByteArray printed = stderrOf([&] { warnings = picture.decode(image); });
        QCOMPARE(printed, QByteArray());
        QVERIFY(warnings.count >= 1);
        QCOMPARE(warnings.first, int(JWRN_JPEG_EOF));
        QCOMPARE(image.size(), QSize(350, 200));
        // The first scans arrived whole: the DC band gives the artwork's colours.
        const QRgb corner
            = image.format() == QImage::Format_RGB888 ? image.pixel(2, 2) : image.color(image.constScanLine(2)[2]);
        QVERIFY(near(corner, qRgb(0x00, 0x25, 0x4A), 24));
    }
}

void TestJpegPicture::brokenHeaderIsAJpegError_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");

    const QByteArray picture = SplashPicture::bytes();
    // SOF2 segment: marker, length (2), precision, height (2), width (2), components...
    QTest::newRow("empty buffer") << QByteArray() << int(JERR_INPUT_EMPTY);
    QTest::newRow("PNG bytes") << png << int(JERR_NO_SOI);
    QTest::newRow("SOI and EOI only") << QByteArray("\xFF\xD8\xFF\xD9", 4) << int(JERR_NO_IMAGE);
    QTest::newRow("two SOI markers") << QByteArray("\xFF\xD8", 2) + picture << int(JERR_SOI_DUPLICATE);
    QTest::newRow("12-bit samples") << withSegmentBytes(kSof2, 1, 4, "\x0C") << int(JERR_BAD_PRECISION);
    QTest::newRow("zero width") << withSegmentBytes(kSof2, 1, 7, QByteArray(2, '\0')) << int(JERR_EMPTY_IMAGE);
    QTest::newRow("cut before the first scan") << picture.left(markerOffset(picture, kSos)) << int(JERR_SOF_NO_SOS);
}

void TestJpegPicture::brokenHeaderIsAJpegError()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    std::optional<QString> message;
    try {
        JpegPicture picture(bytes);
    } catch (const ClipError& error) {
        message = error.message();
    }
    QVERIFY(message);
    QCOMPARE(*message, jpegError(code));
}

void TestJpegPicture::brokenScanFailsTheDecodeOnly()
{
    // The third scan asks for coefficients past 63: the header is fine, the decode is not.
    // SOS segment with one component: marker, length (2), count, selector, tables, Ss, Se.
    const JpegPicture picture(withSegmentBytes(kSos, 3, 8, "\x40"));
    QCOMPARE(picture.size(), QSize(350, 200));

    for (const int depth : { 24, 8 }) {
        JpegPicture::fixDisplayDepth(depth);
        QImage image;
        std::optional<QString> message;
        try {
            picture.decode(image);
        } catch (const ClipError& error) {
            message = error.message();
        }
        QVERIFY(message);
        QCOMPARE(*message, jpegError(JERR_BAD_PROGRESSION));
        // A progressive picture is read whole before its first row: nothing was decoded, and
        // what is drawn is black.
        QCOMPARE(image.size(), QSize(350, 200));
        QCOMPARE(image.pixel(175, 100), qRgb(0, 0, 0));
    }
}

QTEST_GUILESS_MAIN(TestJpegPicture)
#include "tst_jpegpicture.moc"
