#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>

#include "ClickFilter.h"
#include "ClipTextEdit.h"
#include "TForm1.h"
#include "TForm2.h"
#include "WindowTestCase.h"

class TestCommandBox : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();

    void enterOpensTheClipAndCopiesItsBody();
    void enterMakesAMissingTitleFileEmpty();
    void emptyBodyLeavesTheClipboardAlone();
    void enterWithoutBodyFileMovesOnlyThePaths_data();
    void enterWithoutBodyFileMovesOnlyThePaths();
    void enterOnEmptyBoxOpensTheNamelessClip();

    void clearAfterCommand_data();
    void clearAfterCommand();
    void questionMarkClearsThePaths();
    void starRefreshesTheListAndFocusesIt();
    void slashSwitchesTopmostAndRefreshes();
    void escSwitchesLayout_data();
    void escSwitchesLayout();
    void altCharactersRunNoCommand_data();
    void altCharactersRunNoCommand();
    void focusSelectsAll_data();
    void focusSelectsAll();
    void mousePressOnNameDisplayKeepsFocusInBox_data();
    void mousePressOnNameDisplayKeepsFocusInBox();

    void failedOpenLeavesDisplays_data();
    void failedOpenLeavesDisplays();
    void textAtCapacityIsTaken();

    void aboutLinkClick_data();
    void aboutLinkClick();

private:
    // Shows the window with clip "a" opened through the command box and the editors enabled;
    // the clipboard then holds a marker instead of a's body.
    void showWithClipA();
    void clickInto(QWidget* field) const;
};

namespace {

const QString kMarker = QStringLiteral("clipboard before");
const QString kBodyA = QStringLiteral("A body\r\nsecond line");
const QString kTitleA = QStringLiteral("A title");

} // namespace

void TestCommandBox::init()
{
    WindowTestCase::init();
    // "?" opens the About window modally: a click on its picture closes it once its modal loop
    // runs. Not earlier: without the application's loop (as under QTest) show() runs pending
    // events itself, and a close in there would leave the modal loop that follows waiting.
    auto* closeAbout = new QTimer(m_f->window());
    connect(closeAbout, &QTimer::timeout, closeAbout, [] {
        auto* about = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (about && QThread::currentThread()->loopLevel() > 0)
            QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, QPoint(175, 100));
    });
    closeAbout->start(10);
}

void TestCommandBox::showWithClipA()
{
    m_f->writeFile(QStringLiteral("a.txt"), kBodyA.toUtf8());
    m_f->writeFile(QStringLiteral("a.hed"), kTitleA.toUtf8());
    QVERIFY(m_f->show());
    QCOMPARE(QApplication::focusWidget(), inputbox());
    m_f->type(QStringLiteral("a\r"));
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(mainbox()->clipText(), kBodyA);
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    QGuiApplication::clipboard()->setText(kMarker);
}

void TestCommandBox::clickInto(QWidget* field) const
{
    if (auto* editor = qobject_cast<QPlainTextEdit*>(field))
        field = editor->viewport();
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 2, field->height() / 2));
}

void TestCommandBox::enterOpensTheClipAndCopiesItsBody()
{
    m_f->writeFile(QStringLiteral("faq1.txt"), "one\ntwo\r\nthree");
    m_f->writeFile(QStringLiteral("faq1.hed"), "Shipping times");
    QVERIFY(m_f->show());

    m_f->type(QStringLiteral("FAQ1"));
    QCOMPARE(inputbox()->text(), QStringLiteral("faq1"));
    m_f->type(QStringLiteral("\r"));

    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(indexbox()->text(), QStringLiteral("FAQ1"));
    QCOMPARE(titlebox()->clipText(), QStringLiteral("Shipping times"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwo\r\nthree"));
    QCOMPARE(mainbox()->textCursor().selectedText().size(), mainbox()->toPlainText().size());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one\r\ntwo\r\nthree"));
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasHtml());
    QCOMPARE(QApplication::focusWidget(), inputbox());

    // Enter sets no clear-after-command flag: the next letter stays.
    m_f->type(QStringLiteral("x"));
    QCOMPARE(inputbox()->text(), QStringLiteral("x"));
}

void TestCommandBox::enterMakesAMissingTitleFileEmpty()
{
    showWithClipA();
    m_f->writeFile(QStringLiteral("faq1.txt"), "body");

    m_f->type(QStringLiteral("faq1\r"));
    QCOMPARE(indexbox()->text(), QStringLiteral("FAQ1"));
    QVERIFY(titlebox()->clipText().isEmpty());
    QVERIFY(QFileInfo(m_f->path(QStringLiteral("faq1.hed"))).isFile());
    QCOMPARE(QFileInfo(m_f->path(QStringLiteral("faq1.hed"))).size(), 0);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("body"));
}

void TestCommandBox::emptyBodyLeavesTheClipboardAlone()
{
    showWithClipA();
    m_f->writeFile(QStringLiteral("empty.txt"), QByteArray());
    m_f->writeFile(QStringLiteral("empty.hed"), "Nothing yet");

    m_f->type(QStringLiteral("empty\r"));
    QCOMPARE(indexbox()->text(), QStringLiteral("EMPTY"));
    QCOMPARE(titlebox()->clipText(), QStringLiteral("Nothing yet"));
    QVERIFY(mainbox()->clipText().isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), kMarker);
    QCOMPARE(QApplication::focusWidget(), inputbox());
}

void TestCommandBox::enterWithoutBodyFileMovesOnlyThePaths_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("missing name") << "nosuch";
    QTest::newRow("empty box, no .txt") << "";
}

void TestCommandBox::enterWithoutBodyFileMovesOnlyThePaths()
{
    QFETCH(QString, name);
    showWithClipA();
    const QStringList filesBefore = QDir(m_f->path(QString())).entryList(QDir::Files | QDir::Hidden);

    m_f->type(name + QLatin1Char('\r'));
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(titlebox()->clipText(), kTitleA);
    QCOMPARE(mainbox()->clipText(), kBodyA);
    QCOMPARE(QGuiApplication::clipboard()->text(), kMarker);
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QCOMPARE(QDir(m_f->path(QString())).entryList(QDir::Files | QDir::Hidden), filesBefore);
    // The current paths name the missing clip, so the poll disables the editors.
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
}

void TestCommandBox::enterOnEmptyBoxOpensTheNamelessClip()
{
    showWithClipA();
    m_f->writeFile(QStringLiteral(".txt"), "nameless\nbody");

    m_f->type(QStringLiteral("\r"));
    QVERIFY(indexbox()->text().isEmpty());
    QVERIFY(titlebox()->clipText().isEmpty());
    QCOMPARE(mainbox()->clipText(), QStringLiteral("nameless\r\nbody"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("nameless\r\nbody"));
    QCOMPARE(QFileInfo(m_f->path(QStringLiteral(".hed"))).size(), 0);
}

void TestCommandBox::clearAfterCommand_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("box");
    // Typed after a click into the box, to show whether the flag was left set.
    QTest::addColumn<QString>("more");
    QTest::addColumn<QString>("boxAfterMore");

    QTest::newRow("? loses the text") << "ab?"
                                      << ""
                                      << "x"
                                      << "x";
    QTest::newRow("* loses the text") << "ab*"
                                      << ""
                                      << "x"
                                      << "x";
    QTest::newRow("/ loses the text") << "ab/"
                                      << ""
                                      << "x"
                                      << "x";
    QTest::newRow("? in a full box") << "abcdefgh?"
                                     << ""
                                     << "x"
                                     << "x";
    QTest::newRow("Enter sets no flag") << "ab\r"
                                        << ""
                                        << "x"
                                        << "x";
    QTest::newRow("Esc keeps the text") << "ab\x1b"
                                        << "ab"
                                        << "x"
                                        << "abx";
    QTest::newRow("ninth character refused") << "abcdefghi"
                                             << "abcdefgh"
                                             << "\bx"
                                             << "abcdefgx";
    QTest::newRow("/ refused by a full box leaves the flag set") << "abcdefgh/"
                                                                 << "abcdefgh"
                                                                 << "\bx"
                                                                 << "x";
    QTest::newRow("Esc keeps the flag") << "abcdefgh/\x1b\x1b"
                                        << "abcdefgh"
                                        << "\bx"
                                        << "x";
    // What the program emptied, Ctrl+Z does not bring back.
    QTest::newRow("no undo after Enter") << "ab\r\x1a"
                                         << ""
                                         << "x"
                                         << "x";
    QTest::newRow("no undo after ?") << "ab?\x1a"
                                     << ""
                                     << "x"
                                     << "x";
    QTest::newRow("typing is undone") << "ab\x1a"
                                      << ""
                                      << "x"
                                      << "x";
}

void TestCommandBox::clearAfterCommand()
{
    QFETCH(QString, keys);
    QFETCH(QString, box);
    QFETCH(QString, more);
    QFETCH(QString, boxAfterMore);
    QVERIFY(m_f->show());
    QCOMPARE(QApplication::focusWidget(), inputbox());

    m_f->type(keys);
    QCOMPARE(inputbox()->text(), box);

    clickInto(inputbox());
    QTest::keyClick(m_f->handle(), Qt::Key_End);
    m_f->type(more);
    QCOMPARE(inputbox()->text(), boxAfterMore);
}

void TestCommandBox::questionMarkClearsThePaths()
{
    showWithClipA();
    m_f->type(QStringLiteral("ab?"));
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(mainbox()->clipText(), kBodyA);
}

void TestCommandBox::starRefreshesTheListAndFocusesIt()
{
    showWithClipA();
    auto* list = m_f->control<QListView>("FileListBox1");
    QCOMPARE(list->model()->rowCount(), 1);
    m_f->writeFile(QStringLiteral("c.txt"), "c");

    m_f->type(QStringLiteral("ab*"));
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->model()->rowCount(), 2);
    QVERIFY(!list->selectionModel()->hasSelection());
    // The refresh moved the paths to the nameless clip, which does not exist.
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(titlebox()->clipText(), kTitleA);
    QCOMPARE(mainbox()->clipText(), kBodyA);
}

void TestCommandBox::slashSwitchesTopmostAndRefreshes()
{
    showWithClipA();
    // As the splash window does when it closes.
    m_f->window()->setTopmost(true);
    m_f->type(QStringLiteral("a\r"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    auto* checkBox = m_f->control<QCheckBox>("CheckBox1");
    QVERIFY(checkBox->isChecked());

    m_f->type(QStringLiteral("ab/"));
    QVERIFY(!checkBox->isChecked());
    QVERIFY(!m_f->window()->isTopmost());
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    QCOMPARE(mainbox()->clipText(), kBodyA);

    m_f->type(QStringLiteral("/"));
    QVERIFY(checkBox->isChecked());
    QVERIFY(m_f->window()->isTopmost());
    QVERIFY(inputbox()->text().isEmpty());
}

void TestCommandBox::escSwitchesLayout_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("compact");
    QTest::addColumn<int>("heightAfter");
    QTest::addColumn<bool>("compactAfter");

    QTest::newRow("expanded") << 351 << false << 78 << true;
    QTest::newRow("just above 300") << 301 << false << 78 << true;
    QTest::newRow("300 is neither") << 300 << false << 300 << false;
    QTest::newRow("100 is neither") << 100 << true << 100 << true;
    QTest::newRow("just below 100") << 99 << true << 351 << false;
    QTest::newRow("compact") << 78 << true << 351 << false;
}

void TestCommandBox::escSwitchesLayout()
{
    QFETCH(int, height);
    QFETCH(bool, compact);
    QFETCH(int, heightAfter);
    QFETCH(bool, compactAfter);
    QVERIFY(m_f->show());
    m_f->window()->setOuterHeight(height);
    m_f->window()->setCompactTabStops(compact);
    QCOMPARE(m_f->window()->outerHeight(), height);

    m_f->type(QStringLiteral("ab\x1b"));
    QCOMPARE(m_f->window()->outerHeight(), heightAfter);
    QCOMPARE(m_f->window()->width(), 321);
    for (const char* name : { "mainbox", "FileListBox1", "Button1", "Button2" }) {
        QCOMPARE(m_f->control<QWidget>(name)->focusPolicy(), compactAfter ? Qt::ClickFocus : Qt::StrongFocus);
    }
    QCOMPARE(inputbox()->text(), QStringLiteral("ab"));
    QCOMPARE(QApplication::focusWidget(), inputbox());
}

void TestCommandBox::altCharactersRunNoCommand_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<char>("character");

    QTest::newRow("Alt+/") << int(Qt::Key_Slash) << '/';
    QTest::newRow("Alt+?") << int(Qt::Key_Question) << '?';
    QTest::newRow("Alt+*") << int(Qt::Key_Asterisk) << '*';
    QTest::newRow("Alt+Enter") << int(Qt::Key_Return) << '\r';
}

void TestCommandBox::altCharactersRunNoCommand()
{
    QFETCH(int, key);
    QFETCH(char, character);
    showWithClipA();
    m_f->window()->setTopmost(true);
    m_f->type(QStringLiteral("a"));
    Form2 = nullptr;

    QTest::sendKeyEvent(QTest::Click, m_f->handle(), Qt::Key(key), character, Qt::AltModifier);
    QCOMPARE(inputbox()->text(), QStringLiteral("a"));
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QVERIFY(m_f->window()->isTopmost());
    QCOMPARE(Form2, nullptr);
    QCOMPARE(QGuiApplication::clipboard()->text(), kMarker);
}

void TestCommandBox::focusSelectsAll_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("selected");

    QTest::newRow("Tab") << Qt::TabFocusReason << true;
    QTest::newRow("Shift+Tab") << Qt::BacktabFocusReason << true;
    QTest::newRow("the program") << Qt::OtherFocusReason << true;
    QTest::newRow("click") << Qt::MouseFocusReason << false;
    QTest::newRow("back from a context menu") << Qt::PopupFocusReason << false;
    QTest::newRow("window activation") << Qt::ActiveWindowFocusReason << false;
}

void TestCommandBox::focusSelectsAll()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, selected);
    QVERIFY(m_f->show());
    m_f->type(QStringLiteral("ab"));
    titlebox()->setFocus();
    inputbox()->setFocus(reason);
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QCOMPARE(inputbox()->selectedText(), selected ? QStringLiteral("ab") : QString());
}

void TestCommandBox::mousePressOnNameDisplayKeepsFocusInBox_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("fromTitleLine");

    QTest::newRow("left") << Qt::LeftButton << false;
    QTest::newRow("right") << Qt::RightButton << false;
    QTest::newRow("middle") << Qt::MiddleButton << false;
    QTest::newRow("left, focus in the title line") << Qt::LeftButton << true;
}

void TestCommandBox::mousePressOnNameDisplayKeepsFocusInBox()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, fromTitleLine);
    showWithClipA();
    if (fromTitleLine) {
        clickInto(titlebox());
        QCOMPARE(QApplication::focusWidget(), titlebox());
    }

    QTest::mousePress(indexbox(), button, {}, QPoint(10, 8));
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QTest::mouseRelease(indexbox(), button, {}, QPoint(10, 8));
    // The name display's context menu may open on the right button; it leaves the focus alone.
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QCOMPARE(QApplication::focusWidget(), inputbox());
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
}

namespace {

enum class Fault { TitleIsADirectory, TitleTooLong, BodyTooLong };

} // namespace

void TestCommandBox::failedOpenLeavesDisplays_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");

    const QString capacity = QStringLiteral("Text exceeds memo capacity.");
    QTest::newRow("title file cannot be made") << Fault::TitleIsADirectory << "Cannot create file %1."
                                               << "A"
                                               << "" << kBodyA;
    QTest::newRow("title too long") << Fault::TitleTooLong << capacity << "FAQ1" << kTitleA << kBodyA;
    QTest::newRow("body too long") << Fault::BodyTooLong << capacity << "FAQ1"
                                   << "New title" << kBodyA;
}

void TestCommandBox::failedOpenLeavesDisplays()
{
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, body);
    showWithClipA();

    const QByteArray tooLong(kEditorCapacity + 1, 'x');
    m_f->writeFile(QStringLiteral("faq1.txt"), fault == Fault::BodyTooLong ? tooLong : QByteArray("New body"));
    if (fault == Fault::TitleIsADirectory)
        QVERIFY(QDir(m_f->path(QString())).mkdir(QStringLiteral("faq1.hed")));
    else
        m_f->writeFile(QStringLiteral("faq1.hed"), fault == Fault::TitleTooLong ? tooLong : QByteArray("New title"));
    const QStringList files
        = { QStringLiteral("a.txt"), QStringLiteral("a.hed"), QStringLiteral("faq1.txt"), QStringLiteral("faq1.hed") };
    QList<QByteArray> before;
    for (const QString& file : files)
        before << m_f->readFile(file);

    BoxAnswerer seen;
    m_f->type(QStringLiteral("faq1\r"));
    QCOMPARE(seen.summary(),
             SeenBox::errorBox(message.replace(QStringLiteral("%1"), m_f->path(QStringLiteral("faq1.hed")))));

    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(indexbox()->text(), name);
    QCOMPARE(titlebox()->clipText(), title);
    QCOMPARE(mainbox()->clipText(), body);
    QCOMPARE(QGuiApplication::clipboard()->text(), kMarker);
    QCOMPARE(m_f->window()->focusWidget(), inputbox());

    // faq1.txt exists, so the editors stay enabled; what they show that was not read from
    // faq1's files is never written there, nor back into a's.
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    QVERIFY(m_f->reactivate());
    for (ClipTextEdit* editor : { titlebox(), mainbox() }) {
        clickInto(editor);
        QCOMPARE(QApplication::focusWidget(), editor);
        QTest::keyClick(m_f->handle(), Qt::Key_End);
    }
    QVERIFY(!QApplication::activeModalWidget());
    for (qsizetype i = 0; i < files.size(); ++i)
        QVERIFY2(m_f->readFile(files.at(i)) == before.at(i), qPrintable(files.at(i)));
}

void TestCommandBox::textAtCapacityIsTaken()
{
    QVERIFY(m_f->show());
    // Short lines: one line of millions of characters is too slow for the editor to lay out.
    const QByteArray line = QByteArray(62, 'x') + "\r\n";
    const QByteArray body = line.repeated(kEditorCapacity / line.size());
    QCOMPARE(body.size(), kEditorCapacity);
    m_f->writeFile(QStringLiteral("big.txt"), body);

    BoxAnswerer seen;
    m_f->type(QStringLiteral("big\r"));
    QVERIFY(!seen.seen);
    QCOMPARE(indexbox()->text(), QStringLiteral("BIG"));
    QCOMPARE(QGuiApplication::clipboard()->text().size(), kEditorCapacity);
}

void TestCommandBox::aboutLinkClick_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releasedAt");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left, released on the link") << Qt::LeftButton << QPoint(30, 6) << 1;
    QTest::newRow("left, released beside it") << Qt::LeftButton << QPoint(45, 6) << 0;
    QTest::newRow("right") << Qt::RightButton << QPoint(30, 6) << 0;
}

void TestCommandBox::aboutLinkClick()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releasedAt);
    QFETCH(int, clicks);
    QLabel link(QStringLiteral(" about "));
    link.resize(33, 13);
    int clicked = 0;
    ClickFilter::install(&link, [&clicked] { ++clicked; });

    QTest::mousePress(&link, button, {}, QPoint(10, 6));
    QCOMPARE(clicked, 0);
    QTest::mouseRelease(&link, button, {}, releasedAt);
    QCOMPARE(clicked, clicks);
}

QTEST_MAIN(TestCommandBox)
#include "tst_commandbox.moc"
