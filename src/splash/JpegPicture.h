#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

class ClipError;

// A JPEG picture held in memory and decoded with libjpeg. The header is read when the picture is
// made; the pixels only when decode() is asked for them. Every failure of the decoder becomes the
// program's error "JPEG error #%d" with libjpeg's message code.
class JpegPicture
{
public:
    // Up to 236 colours leave a 256-colour display's reserved system colours alone.
    static constexpr int kPaletteColours = 236;

    // Fixes, once at program start, whether pictures decode to 24-bit colour or, for a display of
    // 8 bits per pixel or fewer, to a palette of at most kPaletteColours colours.
    static void fixDisplayDepth(int bitsPerPixel);
    // The same from the primary screen.
    static void fixDisplayDepthFromScreen();
    static bool decodesToPalette();

    // Reads the header; throws ClipError when it cannot.
    explicit JpegPicture(QByteArray bytes);

    QSize size() const { return m_size; }
    int components() const { return m_components; }
    bool isProgressive() const { return m_progressive; }

    // Corrupt data that the decoder worked around.
    struct Warnings
    {
        long count = 0;
        int first = 0; // the message code of the first
    };

    // Decodes the whole picture at full size into `image`: Format_RGB888, or Format_Indexed8 with
    // the picture's palette as colour table. Throws ClipError when the decoder gives up; `image`
    // then keeps the rows decoded before the error, the rest black.
    Warnings decode(QImage& image) const;

    static ClipError errorFor(int messageCode);

private:
    QByteArray m_bytes;
    QSize m_size;
    int m_components = 0;
    bool m_progressive = false;
};
