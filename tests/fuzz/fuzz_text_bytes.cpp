// Bytes to text and back: a file opened and saved unchanged keeps every byte.
#include "FuzzCheck.h"
#include "TextBytes.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DecodedText decoded = TextBytes::decode(bytes);

    // Saved in the encoding it was read in, the text gives back its bytes, whichever encoding
    // that is (every byte of Windows-1252, the five undefined ones too).
    const EncodedText same = TextBytes::encode(decoded.text, decoded.encoding);
    FUZZ_CHECK(same.encoding == decoded.encoding);
    FUZZ_CHECK(same.bytes == bytes);
    // A byte gives at most one UTF-16 unit (four UTF-8 bytes give two).
    FUZZ_CHECK(decoded.text.size() <= bytes.size());

    // Bytes that are UTF-8 always read as UTF-8; a Windows-1252 text saved as UTF-8 (after a
    // character that code page lacks was typed) reads back as the same text.
    const EncodedText asUtf8 = TextBytes::encode(decoded.text, TextEncoding::Utf8);
    FUZZ_CHECK(asUtf8.encoding == TextEncoding::Utf8);
    const DecodedText again = TextBytes::decode(asUtf8.bytes);
    FUZZ_CHECK(again.encoding == TextEncoding::Utf8);
    FUZZ_CHECK(again.text == decoded.text);
    if (decoded.encoding == TextEncoding::Utf8)
        FUZZ_CHECK(asUtf8.bytes == bytes);
    else
        FUZZ_CHECK(decoded.text.size() == bytes.size());

    // A file name is shown decoded (each part between separators on its own), and the
    // separators stay where they are. Typing the shown name finds the file again: in UTF-8 for
    // a UTF-8 name, and as Windows-1252 for a name in that code page.
    const QString shown = TextBytes::displayName(bytes);
    FUZZ_CHECK(shown.count(u'/') == bytes.count('/'));
    if (decoded.encoding == TextEncoding::Utf8)
        FUZZ_CHECK(TextBytes::fileNameFromText(shown) == bytes);
    else if (!bytes.contains('/'))
        FUZZ_CHECK(TextBytes::windows1252FileNameFromText(shown) == bytes);

    // Letter case: the folded form says which encoding the name was read in, and ASCII letters
    // in either case fold alike, in both encodings.
    const QByteArray folded = TextBytes::foldedName(bytes);
    FUZZ_CHECK(TextBytes::isWindows1252Folded(folded) == (decoded.encoding == TextEncoding::Windows1252));
    FUZZ_CHECK(TextBytes::foldedName(bytes.toUpper()) == folded);
    FUZZ_CHECK(TextBytes::foldedName(bytes.toLower()) == folded);
    return 0;
}
