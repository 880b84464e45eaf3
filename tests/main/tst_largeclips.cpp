#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>

#include "ClipTextEdit.h"
#include "LineBreaks.h"
#include "TForm1.h"
#include "WindowTestCase.h"

// Texts at the editors' capacity, and long lines, which the editors hold in pieces.
class TestLargeClips : public WindowTestCase
{
    Q_OBJECT

private slots:
    void capacityBoundary_data();
    void capacityBoundary();
    void editsAtAPieceBreak_data();
    void editsAtAPieceBreak();
    void copyAcrossAPieceBreak();
    void pieceBreaksSurviveUndo();
    void pastedLongLineIsCutAndSavedWhole();

private:
    // Shows the window with clip a open (title "Title a", body "Body a") and its editors enabled.
    void openClipA();
    // Opens the clip through the command box.
    void open(const QString& name) const;
    // Gives the body editor the focus with the caret at a position of its document.
    void placeCaret(int position) const;
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;
};

namespace {

const QString kMarker = QStringLiteral("clipboard before");

// A line of n characters with no space in it: the editors can break it anywhere.
QByteArray blob(qsizetype n)
{
    QByteArray line(n, 'x');
    for (qsizetype i = 0; i < n; i += 7)
        line[i] = char('A' + i % 26);
    return line;
}

} // namespace

void TestLargeClips::openClipA()
{
    QVERIFY(showWithClip(QStringLiteral("a"), "Title a", "Body a"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("Body a"));
    QGuiApplication::clipboard()->setText(kMarker);
}

void TestLargeClips::open(const QString& name) const
{
    m_f->type(name + u'\r');
}

void TestLargeClips::placeCaret(int position) const
{
    mainbox()->setFocus();
    QTextCursor cursor = mainbox()->textCursor();
    cursor.setPosition(position);
    mainbox()->setTextCursor(cursor);
}

void TestLargeClips::key(Qt::Key key, Qt::KeyboardModifiers modifiers) const
{
    QTest::keyClick(m_f->handle(), key, modifiers);
}

void TestLargeClips::capacityBoundary_data()
{
    QTest::addColumn<bool>("title");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("taken");

    const QByteArray atCapacity = blob(kEditorCapacity);
    const QByteArray oneLess = blob(kEditorCapacity - 1);
    const QByteArray twoLess = blob(kEditorCapacity - 2);
    QTest::newRow("body, capacity, one line") << false << atCapacity << true;
    QTest::newRow("body, capacity + 1, one line") << false << blob(kEditorCapacity + 1) << false;
    QTest::newRow("body, capacity ending in CR LF") << false << twoLess + "\r\n" << true;
    // A lone LF or CR is read as CR LF: the file's bytes fit, its text does not.
    QTest::newRow("body, capacity - 1 and a lone LF") << false << oneLess + "\n" << false;
    QTest::newRow("body, capacity - 1 and a lone CR") << false << oneLess + "\r" << false;
    QTest::newRow("body, capacity characters of two bytes")
        << false << QByteArray("\xC3\xA9").repeated(kEditorCapacity) << true;
    QTest::newRow("title, capacity, one line") << true << atCapacity << true;
    QTest::newRow("title, capacity + 1, one line") << true << blob(kEditorCapacity + 1) << false;
}

void TestLargeClips::capacityBoundary()
{
    QFETCH(bool, title);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, taken);
    openClipA();
    m_f->writeFile(QStringLiteral("big.txt"), title ? QByteArray("Big body") : bytes);
    m_f->writeFile(QStringLiteral("big.hed"), title ? bytes : QByteArray("Big title"));
    const QString text = LineBreaks::toClipText(QString::fromUtf8(bytes));

    BoxAnswerer seen;
    open(QStringLiteral("big"));
    ClipTextEdit* editor = title ? titlebox() : mainbox();
    if (taken) {
        QVERIFY(!seen.seen);
        QVERIFY(editor->clipText() == text);
        if (!title)
            QVERIFY(QGuiApplication::clipboard()->text() == text);
        return;
    }
    QCOMPARE(seen.summary(), SeenBox::errorBox(QStringLiteral("Text exceeds memo capacity.")));
    QCOMPARE(editor->clipText(), title ? QStringLiteral("Title a") : QStringLiteral("Body a"));
    QCOMPARE(QGuiApplication::clipboard()->text(), kMarker);

    // big.txt exists, so the editors come back; a key in the editor that refused the text saves
    // nothing into big's files, nor into a's.
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    QVERIFY(m_f->reactivate());
    editor->setFocus();
    key(Qt::Key_End);
    key(Qt::Key_Z);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_f->readFile(QStringLiteral("big.txt")) == (title ? QByteArray("Big body") : bytes));
    QVERIFY(m_f->readFile(QStringLiteral("big.hed")) == (title ? bytes : QByteArray("Big title")));
    QCOMPARE(m_f->readFile(QStringLiteral("a.txt")), QByteArray("Body a"));
    QCOMPARE(m_f->readFile(QStringLiteral("a.hed")), QByteArray("Title a"));
}

namespace {

enum class Edit { Enter, Backspace, Delete, RightThenType, LeftThenType, PasteTwoLines };

} // namespace

void TestLargeClips::editsAtAPieceBreak_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("inserted"); // at the break
    QTest::addColumn<int>("removedBefore"); // characters removed before the break
    QTest::addColumn<int>("removedAfter");
    QTest::addColumn<int>("insertedAfter"); // characters between the break and the insertion

    QTest::newRow("Enter") << Edit::Enter << QByteArray("\r\n") << 0 << 0 << 0;
    QTest::newRow("Backspace") << Edit::Backspace << QByteArray() << 1 << 0 << 0;
    QTest::newRow("Delete") << Edit::Delete << QByteArray() << 0 << 1 << 0;
    QTest::newRow("Right, then a letter") << Edit::RightThenType << QByteArray("z") << 0 << 0 << 1;
    QTest::newRow("Left, then a letter") << Edit::LeftThenType << QByteArray("z") << 0 << 0 << -1;
    QTest::newRow("paste of two lines") << Edit::PasteTwoLines << QByteArray("p\r\nq") << 0 << 0 << 0;
}

// The caret stands where one piece of a long line ends and the next begins; each edit must
// change the file as it would in a line held whole.
void TestLargeClips::editsAtAPieceBreak()
{
    QFETCH(Edit, edit);
    QFETCH(QByteArray, inserted);
    QFETCH(int, removedBefore);
    QFETCH(int, removedAfter);
    QFETCH(int, insertedAfter);
    const QByteArray line = blob(3 * kPieceLength);
    const QByteArray body = line + "\r\nlast";
    m_f->writeFile(QStringLiteral("long.txt"), body);
    QVERIFY(m_f->show());
    open(QStringLiteral("long"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    QCOMPARE(mainbox()->document()->blockCount(), 4);
    const QTextBlock secondPiece = mainbox()->document()->findBlockByNumber(1);
    QCOMPARE(secondPiece.position(), int(kPieceLength) + 1);

    placeCaret(secondPiece.position());
    switch (edit) {
    case Edit::Enter:
        key(Qt::Key_Return);
        break;
    case Edit::Backspace:
        key(Qt::Key_Backspace);
        break;
    case Edit::Delete:
        placeCaret(secondPiece.position() - 1);
        key(Qt::Key_Delete);
        break;
    case Edit::RightThenType:
        placeCaret(secondPiece.position() - 1);
        key(Qt::Key_Right);
        key(Qt::Key_Z);
        break;
    case Edit::LeftThenType:
        key(Qt::Key_Left);
        key(Qt::Key_Z);
        break;
    case Edit::PasteTwoLines:
        QGuiApplication::clipboard()->setText(QStringLiteral("p\nq"));
        key(Qt::Key_V, Qt::ControlModifier);
        break;
    }
    const qsizetype at = kPieceLength + insertedAfter;
    QByteArray expected = body;
    expected.replace(at - removedBefore, removedBefore + removedAfter, inserted);
    QVERIFY2(m_f->readFile(QStringLiteral("long.txt")) == expected, "the saved body is not the edited text");
}

void TestLargeClips::copyAcrossAPieceBreak()
{
    const QByteArray line = blob(2 * kPieceLength);
    m_f->writeFile(QStringLiteral("long.txt"), line + "\r\nlast");
    QVERIFY(m_f->show());
    open(QStringLiteral("long"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    placeCaret(int(kPieceLength) - 2);
    QTextCursor cursor = mainbox()->textCursor();
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 5);
    mainbox()->setTextCursor(cursor);
    key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(line.mid(kPieceLength - 2, 4)));

    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    mainbox()->setTextCursor(cursor);
    key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(line.mid(kPieceLength - 2) + "\nlast"));
}

void TestLargeClips::pieceBreaksSurviveUndo()
{
    const QByteArray body = blob(3 * kPieceLength) + "\r\nlast";
    m_f->writeFile(QStringLiteral("long.txt"), body);
    QVERIFY(m_f->show());
    open(QStringLiteral("long"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    // From inside the first piece to inside the third: two piece breaks go with the selection.
    placeCaret(100);
    QTextCursor cursor = mainbox()->textCursor();
    cursor.setPosition(2 * int(kPieceLength) + 200, QTextCursor::KeepAnchor);
    mainbox()->setTextCursor(cursor);
    key(Qt::Key_Delete);
    QByteArray expected = body;
    expected.remove(100, 2 * kPieceLength + 200 - 2 - 100);
    QVERIFY(m_f->readFile(QStringLiteral("long.txt")) == expected);

    key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY2(m_f->readFile(QStringLiteral("long.txt")) == body, "undo did not give the text back");
    key(Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(m_f->readFile(QStringLiteral("long.txt")) == expected);
}

void TestLargeClips::pastedLongLineIsCutAndSavedWhole()
{
    m_f->writeFile(QStringLiteral("paste.txt"), "one\r\ntwo");
    QVERIFY(m_f->show());
    open(QStringLiteral("paste"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    const QByteArray pasted = blob(5 * kPieceLength / 2);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(pasted + "\nend"));
    placeCaret(2);
    key(Qt::Key_V, Qt::ControlModifier);
    QVERIFY(mainbox()->document()->blockCount() >= 5);
    QVERIFY(m_f->readFile(QStringLiteral("paste.txt")) == "on" + pasted + "\r\nende\r\ntwo");
    // A line break typed into a piece stays a line break.
    placeCaret(int(kPieceLength) + 10);
    key(Qt::Key_Return);
    QByteArray expected = "on" + pasted + "\r\nende\r\ntwo";
    expected.insert(kPieceLength + 10 - 1, "\r\n");
    QVERIFY(m_f->readFile(QStringLiteral("paste.txt")) == expected);
}

QTEST_MAIN(TestLargeClips)
#include "tst_largeclips.moc"
