#include "BenchRegistry.h"

#include "JpegPicture.h"
#include "SplashPicture.h"
#include "TForm2.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>

#include <jpeglib.h>

using namespace Qt::StringLiterals;

namespace {

// libjpeg with nothing of ours around it: default settings (which are the accurate integer
// transform), rows into `image`, which is made once and kept. RGB, or with `paletteColours` the
// indices of libjpeg's two-pass quantiser. The floor of the decode.
void plainDecode(const QByteArray& bytes, QImage& image, int paletteColours = 0)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    if (paletteColours > 0) {
        cinfo.quantize_colors = TRUE;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.desired_number_of_colors = paletteColours;
    }
    jpeg_start_decompress(&cinfo);
    const QSize size(int(cinfo.output_width), int(cinfo.output_height));
    const QImage::Format format = paletteColours > 0 ? QImage::Format_Indexed8 : QImage::Format_RGB888;
    if (image.size() != size || image.format() != format)
        image = QImage(size, format);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

void decodeRows(QList<BenchRow>& rows)
{
    const QByteArray bytes = SplashPicture::bytes();
    const auto decode = [&](int depth) {
        JpegPicture::fixDisplayDepth(depth);
        QImage image;
        JpegPicture(bytes).decode(image);
    };
    QImage plainImage;
    const auto [trueColour, plain]
        = medianSecondsBeside([&] { decode(24); }, [&] { plainDecode(bytes, plainImage); }, 20);
    rows.append({ u"Read header and decode the splash picture, 24-bit"_s, trueColour, u"libjpeg alone, same output"_s,
                  plain, 1.2, u"350 x 200, progressive, 7 scans"_s });
    const auto [palette, plainPalette] = medianSecondsBeside(
        [&] { decode(8); }, [&] { plainDecode(bytes, plainImage, JpegPicture::kPaletteColours); }, 20);
    rows.append({ u"Decode the splash picture, 236 colours (8-bit display)"_s, palette,
                  u"libjpeg alone, same output"_s, plainPalette, 1.2, u"two-pass quantisation, Floyd-Steinberg"_s });
    JpegPicture::fixDisplayDepth(24);
}

// A borderless window of the splash window's size that paints a picture and nothing else.
class PlainPictureWindow : public QWidget
{
public:
    explicit PlainPictureWindow(const QImage& picture)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , m_picture(picture)
    {
        setFixedSize(TForm2::kWidth, TForm2::kHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(1, 1, m_picture); }

private:
    const QImage& m_picture;
};

// The splash window's own share of start-up: construction (header read), showing and the first
// paint (the full decode), in this process.
void splashShareRow(QList<BenchRow>& rows)
{
    const QByteArray bytes = SplashPicture::bytes();
    const auto [seconds, floor] = medianSecondsBeside(
        [] {
            auto window = std::make_unique<TForm2>();
            window->show();
            window->repaint();
            window->hide();
        },
        [&] {
            QImage picture;
            plainDecode(bytes, picture);
            PlainPictureWindow window(picture);
            window.show();
            window.repaint();
            window.hide();
        });
    rows.append({ u"Splash window built, shown and first painted"_s, seconds,
                  u"libjpeg alone, painted in a bare QWidget"_s, floor, 0,
                  u"its share of start-up; its second delays only the topmost switch"_s });
}

const BenchRegistration splashRows("splash", [](QList<BenchRow>& rows) {
    decodeRows(rows);
    splashShareRow(rows);
});

} // namespace
