#include "JpegPicture.h"

#include <QGuiApplication>
#include <QList>
#include <QScreen>

#include "ClipError.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
// After jpeglib.h, which it needs; gives the message codes.
#include <jerror.h>

// libjpeg reports a fatal error by calling error_exit, which must not return. It longjmps back
// into the function that called setjmp. Each such function below owns nothing but libjpeg state
// and plain data, so the jump skips no destructor; the C++ side throws only after it has returned.

namespace {

bool s_decodesToPalette = false;

struct ErrorManager
{
    jpeg_error_mgr pub; // first, so that libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    int firstWarning;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (negative levels) are counted and the first one kept; trace messages are dropped.
// Nothing goes to stderr.
void noteMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (errors->pub.num_warnings++ == 0)
        errors->firstWarning = errors->pub.msg_code;
}

void printNothing(j_common_ptr) { }

void setUpErrors(jpeg_decompress_struct& cinfo, ErrorManager& errors)
{
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpBack;
    errors.pub.emit_message = noteMessage;
    errors.pub.output_message = printNothing;
    errors.firstWarning = 0;
}

struct Header
{
    unsigned width;
    unsigned height;
    int components;
    bool progressive;
};

// Returns 0, or the message code of the error that stopped the decoder.
int readHeader(const unsigned char* data, unsigned long size, Header* header)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager errors;
    setUpErrors(cinfo, errors);
    // Before jpeg_mem_src, which already fails on an empty buffer.
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.pub.msg_code;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    header->width = cinfo.image_width;
    header->height = cinfo.image_height;
    header->components = cinfo.num_components;
    header->progressive = jpeg_has_multiple_scans(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

// The decode's input and its output buffer, prepared by the caller.
struct DecodeJob
{
    const unsigned char* data;
    unsigned long size;
    bool palette;
    unsigned width;
    unsigned height;
    unsigned char* pixels;
    std::ptrdiff_t stride;
    int colours;
    unsigned char colourMap[256][3];
    long warnings;
    int firstWarning;
};

// Stands for an output size that differs from the header read before, which the same bytes
// cannot give.
constexpr int kSizeChanged = -1;

int decodeRows(DecodeJob* job)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    ErrorManager errors;
    setUpErrors(cinfo, errors);
    if (setjmp(errors.jump)) {
        job->warnings = errors.pub.num_warnings;
        job->firstWarning = errors.firstWarning;
        jpeg_destroy_decompress(&cinfo);
        return errors.pub.msg_code;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, job->data, job->size);
    jpeg_read_header(&cinfo, TRUE);

    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.out_color_space = JCS_RGB;
    // The slower, exact inverse transform: quality before speed.
    cinfo.dct_method = JDCT_ISLOW;
    // Acts only on incompletely received progressive data.
    cinfo.do_block_smoothing = TRUE;
    cinfo.buffered_image = FALSE;
    if (job->palette) {
        cinfo.quantize_colors = TRUE;
        cinfo.two_pass_quantize = TRUE;
        cinfo.dither_mode = JDITHER_FS;
        cinfo.desired_number_of_colors = JpegPicture::kPaletteColours;
    }
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != job->width || cinfo.output_height != job->height) {
        jpeg_destroy_decompress(&cinfo);
        return kSizeChanged;
    }
    if (job->palette) {
        // The two-pass quantiser has chosen its colours by now.
        job->colours = cinfo.actual_number_of_colors;
        for (int i = 0; i < job->colours; ++i) {
            for (int c = 0; c < 3; ++c)
                job->colourMap[i][c] = cinfo.colormap[c][i];
        }
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = job->pixels + std::ptrdiff_t(cinfo.output_scanline) * job->stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    job->warnings = errors.pub.num_warnings;
    job->firstWarning = errors.firstWarning;
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

const unsigned char* dataOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

} // namespace

void JpegPicture::fixDisplayDepth(int bitsPerPixel)
{
    s_decodesToPalette = bitsPerPixel <= 8;
}

void JpegPicture::fixDisplayDepthFromScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        fixDisplayDepth(screen->depth());
}

bool JpegPicture::decodesToPalette()
{
    return s_decodesToPalette;
}

JpegPicture::JpegPicture(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    Header header {};
    if (const int code = readHeader(dataOf(m_bytes), static_cast<unsigned long>(m_bytes.size()), &header))
        throw errorFor(code);
    m_size = QSize(int(header.width), int(header.height));
    m_components = header.components;
    m_progressive = header.progressive;
}

JpegPicture::Warnings JpegPicture::decode(QImage& image) const
{
    auto job = std::make_unique<DecodeJob>();
    job->data = dataOf(m_bytes);
    job->size = static_cast<unsigned long>(m_bytes.size());
    job->palette = s_decodesToPalette;
    job->width = unsigned(m_size.width());
    job->height = unsigned(m_size.height());

    image = QImage(m_size, job->palette ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    if (image.isNull())
        throw errorFor(JERR_OUT_OF_MEMORY);
    if (job->palette)
        image.setColorTable({ qRgb(0, 0, 0) });
    image.fill(0);
    // Rows go straight into the image, whose lines are padded to 32 bits (1052 bytes for 350
    // pixels of 24-bit colour).
    job->pixels = image.bits();
    job->stride = image.bytesPerLine();

    const int code = decodeRows(job.get());
    if (job->colours > 0) {
        QList<QRgb> table;
        table.reserve(job->colours);
        for (int i = 0; i < job->colours; ++i)
            table.append(qRgb(job->colourMap[i][0], job->colourMap[i][1], job->colourMap[i][2]));
        image.setColorTable(table);
    }
    if (code != 0)
        throw errorFor(code);
    return { job->warnings, job->firstWarning };
}

ClipError JpegPicture::errorFor(int messageCode)
{
    return ClipError(QStringLiteral("JPEG error #%1").arg(messageCode));
}
