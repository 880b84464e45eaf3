#include "ClipError.h"
#include "LineBreaks.h"
#include "PathNames.h"
#include "TextBytes.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Texts and paths as byte strings: line breaks, encodings, path arithmetic, error messages.
class TestClipText : public QObject
{
    Q_OBJECT

private slots:
    void normaliseLineBreaks_data();
    void normaliseLineBreaks();
    void editorTextToClipText();
    void bytesSurviveDecodeAndEncode_data();
    void bytesSurviveDecodeAndEncode();
    void everyWindows1252ByteSurvives();
    void unencodableTextFallsBackToUtf8();
    void pathArithmetic_data();
    void pathArithmetic();
    void pathsEqualIgnoringCase_data();
    void pathsEqualIgnoringCase();
    void errorMessages();
};

void TestClipText::normaliseLineBreaks_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const QByteArray& tag, const QByteArray& raw, const QByteArray& expected) {
        QTest::newRow(tag.constData()) << raw << expected;
    };
    row("empty", "", "");
    row("CR LF unchanged", "a\r\nb\r\n", "a\r\nb\r\n");
    row("lone LF", "a\nb\n", "a\r\nb\r\n");
    row("lone CR", "a\rb", "a\r\nb");
    row("CR at the end", "a\r", "a\r\n");
    row("LF CR is two breaks", "a\n\rb", "a\r\n\r\nb");
    row("CR CR LF", "a\r\r\nb", "a\r\n\r\nb");
    row("no break added", "last line", "last line");
    row("zero byte cuts", QByteArray("ab\0cd\n", 6), "ab");
    row("zero byte after a lone LF", QByteArray("a\n\0b", 4), "a\r\n");
    row("high bytes untouched", "\x81\x8d\r\xa0", "\x81\x8d\r\n\xa0");

    // Long texts are scanned in blocks of bytes: breaks on and around a block's edge.
    for (const int at : { 14, 15, 16, 31, 32 }) {
        const QByteArray before(at, 'x');
        const QByteArray after(20, 'y');
        const QByteArray where = " at " + QByteArray::number(at);
        row("CR LF" + where, before + "\r\n" + after, before + "\r\n" + after);
        row("lone CR" + where, before + '\r' + after, before + "\r\n" + after);
        row("lone LF" + where, before + '\n' + after, before + "\r\n" + after);
        row("LF CR" + where, before + "\n\r" + after, before + "\r\n\r\n" + after);
        row("zero byte" + where, before + '\0' + "\r\n" + after, before);
        row("CR then zero byte" + where, before + QByteArray("\r\0\n", 3) + after, before + "\r\n");
    }
}

void TestClipText::normaliseLineBreaks()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, expected);
    QCOMPARE(LineBreaks::normalise(raw), expected);
}

void TestClipText::editorTextToClipText()
{
    QCOMPARE(LineBreaks::toClipText(u"a\nb\u2029c\r\nd\re\r"_s), u"a\r\nb\r\nc\r\nd\r\ne\r\n"_s);
    QCOMPARE(LineBreaks::toClipText(u"\n\n"_s), u"\r\n\r\n"_s);
}

void TestClipText::bytesSurviveDecodeAndEncode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    const auto row = [](const char* tag, const QByteArray& bytes, const QString& text, TextEncoding encoding) {
        QTest::newRow(tag) << bytes << text << encoding;
    };
    const auto utf8 = TextEncoding::Utf8;
    const auto cp1252 = TextEncoding::Windows1252;
    row("empty", "", QString(), utf8);
    row("UTF-8", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", u"café € \U0001F600"_s, utf8);
    row("UTF-8 with BOM", "\xef\xbb\xbfhi", u"\ufeffhi"_s, utf8);
    row("replacement character", "\xef\xbf\xbd", u"\ufffd"_s, utf8);
    row("Windows-1252", "caf\xe9 \x80\xa0", u"café €\u00a0"_s, cp1252);
    row("undefined bytes", "\x81\x8d\x8f\x90\x9d", u"\u0081\u008d\u008f\u0090\u009d"_s, cp1252);
    row("overlong", "\xc0\x80", u"À€"_s, cp1252);
    row("surrogate", "\xed\xa0\x80", u"í\u00a0€"_s, cp1252);
    row("cut sequence", "x\xe2\x82", u"xâ\u201a"_s, cp1252);
}

void TestClipText::bytesSurviveDecodeAndEncode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);

    const DecodedText decoded = TextBytes::decode(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding, encoding);
    const EncodedText encoded = TextBytes::encode(decoded.text, decoded.encoding);
    QCOMPARE(encoded.bytes, bytes);
    QCOMPARE(encoded.encoding, encoding);
}

void TestClipText::everyWindows1252ByteSurvives()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const DecodedText decoded = TextBytes::decode(all);
    QCOMPARE(decoded.encoding, TextEncoding::Windows1252);
    QCOMPARE(decoded.text.at(0x80), QChar(0x20AC));
    QCOMPARE(decoded.text.at(0x9F), QChar(0x0178));
    QCOMPARE(TextBytes::encode(decoded.text, TextEncoding::Windows1252).bytes, all);
}

void TestClipText::unencodableTextFallsBackToUtf8()
{
    const auto cp1252 = TextEncoding::Windows1252;
    EncodedText encoded = TextBytes::encode(u"é€"_s, cp1252);
    QCOMPARE(encoded.bytes, QByteArray("\xe9\x80"));
    QCOMPARE(encoded.encoding, cp1252);
    encoded = TextBytes::encode(u"éł"_s, cp1252);
    QCOMPARE(encoded.bytes, QByteArray("\xc3\xa9\xc5\x82"));
    QCOMPARE(encoded.encoding, TextEncoding::Utf8);
    // A C1 control character other than the five undefined bytes is not in the code page.
    QCOMPARE(TextBytes::encode(u"\u0080"_s, cp1252).bytes, QByteArray("\xc2\x80"));
}

void TestClipText::pathArithmetic_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("withHed");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("clipName");
    const auto row = [](const char* tag, const QByteArray& path, const QByteArray& withHed, const QByteArray& fileName,
                        const QByteArray& clipName) { QTest::newRow(tag) << path << withHed << fileName << clipName; };
    row("plain", "/clips/faq1.txt", "/clips/faq1.hed", "faq1.txt", "faq1");
    row("two dots", "/clips/a.b.txt", "/clips/a.b.hed", "a.b.txt", "a.b");
    row("dot in folder", "/my.dir/readme", "/my.dir/readme.hed", "readme", "readme");
    row("nameless", "/clips/.txt", "/clips/.hed", ".txt", "");
    row("root", "//x.txt", "//x.hed", "x.txt", "x");
    row("no folder", "x.txt", "x.hed", "x.txt", "x");
    row("empty", "", ".hed", "", "");
    row("not UTF-8", "/c/caf\xe9.txt", "/c/caf\xe9.hed", "caf\xe9.txt", "caf\xe9");
}

void TestClipText::pathArithmetic()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, withHed);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, clipName);

    QCOMPARE(PathNames::changeExtension(path, ".hed"), withHed);
    QCOMPARE(PathNames::changeExtension(withHed, ".txt"), PathNames::changeExtension(path, ".txt"));
    QCOMPARE(PathNames::fileNamePart(path), fileName);
    QCOMPARE(PathNames::clipNameOfPath(path), clipName);
}

void TestClipText::pathsEqualIgnoringCase_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("same") << QByteArray("/clips") << QByteArray("/clips") << true;
    QTest::newRow("capitals") << QByteArray("/Clips/FAQ") << QByteArray("/clips/faq") << true;
    QTest::newRow("UTF-8 letters") << QByteArray("/caf\xc3\x89") << QByteArray("/CAF\xc3\xa9") << true;
    QTest::newRow("Windows-1252 letters") << QByteArray("/caf\xc9") << QByteArray("/CAF\xe9") << true;
    QTest::newRow("other folder") << QByteArray("/clips") << QByteArray("/clips2") << false;
    QTest::newRow("bytes a Latin-1 fold would equate") << QByteArray("/\xc3\xa9") << QByteArray("/\xe3\xa9") << false;
}

void TestClipText::pathsEqualIgnoringCase()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, equal);
    QCOMPARE(PathNames::equalIgnoringCase(a, b), equal);
    QCOMPARE(PathNames::equalIgnoringCase(b, a), equal);
}

void TestClipText::errorMessages()
{
    QCOMPARE(PathNames::join("/", "x.txt"), QByteArray("//x.txt"));
    QCOMPARE(PathNames::join("/clips", ".txt"), QByteArray("/clips/.txt"));

    const ClipError open = ClipError::cannotOpen("/c/caf\xe9.txt");
    QCOMPARE(open.message(), u"Cannot open file /c/café.txt"_s);
    QCOMPARE(QByteArray(open.what()), QByteArray("Cannot open file /c/caf\xc3\xa9.txt"));
    QCOMPARE(ClipError::cannotCreate("/c/x.hed").message(), u"Cannot create file /c/x.hed"_s);
    QCOMPARE(ClipError::streamWrite().message(), u"Stream write error"_s);
}

QTEST_GUILESS_MAIN(TestClipText)
#include "tst_clipstore_text.moc"
