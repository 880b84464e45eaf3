#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "ClipTextEdit.h"
#include "TForm1.h"
#include "WindowTestCase.h"

#include <sys/stat.h>

#include <memory>

class TestAutosave : public WindowTestCase
{
    Q_OBJECT

private slots:
    void releaseWritesTheWholeText();
    void everyReleaseSaves_data();
    void everyReleaseSaves();
    void releaseCountsWhereTheFocusIs();
    void heldKeySavesOnce();
    void readOnlyBodyShowsTheErrorAtEveryRelease();
    void errorBoxClosedByAKeyStaysClosed_data();
    void errorBoxClosedByAKeyStaysClosed();
    void bodyFileGoneAndBack_data();
    void bodyFileGoneAndBack();
    void titleFileGoneSavesNothing();
    void previousClipIsNeverSavedIntoAnother();
    void pollGoesOnWhileAModalBoxIsOpen();

private:
    // Opens faq1 (title "Title", body "one", LF, "two") through the command box and waits for
    // the poll to enable the editors.
    void openFaq1();
    // Waits for the poll's next tick, after which the editors' state is final.
    void waitForTick() const;
};

void TestAutosave::openFaq1()
{
    QVERIFY(showWithClip(QStringLiteral("faq1"), "Title", "one\ntwo"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwo"));
}

void TestAutosave::waitForTick() const
{
    QSignalSpy ticks(m_f->control<QTimer>("Timer1"), &QTimer::timeout);
    QVERIFY(ticks.wait(kPollWait));
}

void TestAutosave::releaseWritesTheWholeText()
{
    openFaq1();
    clickToEnd(mainbox());
    QCOMPARE(QApplication::focusWidget(), mainbox());
    m_f->type(QStringLiteral("x\ry"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwox\r\ny"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.hed")), QByteArray("Title"));

    clickToEnd(titlebox());
    m_f->type(QStringLiteral("!"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.hed")), QByteArray("Title!"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwox\r\ny"));
}

void TestAutosave::everyReleaseSaves_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("releases");

    QTest::newRow("arrow") << Qt::Key_Left << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Shift") << Qt::Key_Shift << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Ctrl") << Qt::Key_Control << Qt::KeyboardModifiers() << 1;
    QTest::newRow("function key") << Qt::Key_F5 << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Ctrl+A: A, then Ctrl") << Qt::Key_A << Qt::KeyboardModifiers(Qt::ControlModifier) << 2;
    QTest::newRow("Alt+Shift+Home") << Qt::Key_Home << (Qt::AltModifier | Qt::ShiftModifier) << 3;
}

void TestAutosave::everyReleaseSaves()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, releases);
    openFaq1();
    clickToEnd(mainbox());
    SaveCounter counter(m_f->path(QString()));

    QTest::keyClick(m_f->handle(), key, modifiers);
    QCOMPARE(counter.saves("faq1.txt"), releases);
    QCOMPARE(counter.saves("faq1.hed"), 0);
    // Nothing typed: the rewritten file holds what it held, with CR LF.
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwo"));
}

void TestAutosave::releaseCountsWhereTheFocusIs()
{
    openFaq1();
    clickToEnd(titlebox());
    SaveCounter counter(m_f->path(QString()));

    QTest::keyPress(m_f->handle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), mainbox());
    QTest::keyRelease(m_f->handle(), Qt::Key_Tab);
    QCOMPARE(counter.saves("faq1.hed"), 0);
    QCOMPARE(counter.saves("faq1.txt"), 1);
}

void TestAutosave::heldKeySavesOnce()
{
    openFaq1();
    clickToEnd(mainbox());
    SaveCounter counter(m_f->path(QString()));

    // What the X server sends for a held key without detectable auto-repeat: a release before
    // every repeated press, all marked as repeats; then the real release.
    const QString a = QStringLiteral("a");
    qt_handleKeyEvent(m_f->handle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, a);
    for (int i = 0; i < 4; ++i) {
        qt_handleKeyEvent(m_f->handle(), QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, a, true);
        qt_handleKeyEvent(m_f->handle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, a, true);
    }
    QCoreApplication::processEvents();
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwoaaaaa"));
    QCOMPARE(counter.saves("faq1.txt"), 0);

    QTest::keyRelease(m_f->handle(), Qt::Key_A);
    QCOMPARE(counter.saves("faq1.txt"), 1);
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwoaaaaa"));
}

void TestAutosave::readOnlyBodyShowsTheErrorAtEveryRelease()
{
    openFaq1();
    QVERIFY(::chmod(m_f->nativePath(QStringLiteral("faq1.txt")).constData(), 0444) == 0);
    waitForTick();
    QVERIFY(editorsEnabled());

    for (const char* key : { "x", "y" }) {
        clickToEnd(mainbox());
        BoxAnswerer seen;
        m_f->type(QLatin1StringView(key));
        QCOMPARE(
            seen.summary(),
            SeenBox::errorBox(QStringLiteral("Cannot create file %1.").arg(m_f->path(QStringLiteral("faq1.txt")))));
        QVERIFY(m_f->reactivate());
    }
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwoxy"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\ntwo"));
}

void TestAutosave::errorBoxClosedByAKeyStaysClosed_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Enter") << Qt::Key_Return;
    QTest::newRow("Esc") << Qt::Key_Escape;
}

void TestAutosave::errorBoxClosedByAKeyStaysClosed()
{
    QFETCH(Qt::Key, key);
    openFaq1();
    QVERIFY(::chmod(m_f->nativePath(QStringLiteral("faq1.txt")).constData(), 0444) == 0);
    clickToEnd(mainbox());

    // The box closes at the key's press; its release comes to the editor once the box is gone.
    BoxAnswerer answered([key](QMessageBox* box) { QTest::keyPress(box->windowHandle(), key); });
    m_f->type(QStringLiteral("x"));
    QVERIFY(answered.seen);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_f->reactivate());

    BoxAnswerer again;
    QTest::keyRelease(m_f->handle(), key);
    QCoreApplication::processEvents(); // what the release may have queued
    QVERIFY2(!again.seen, qPrintable(again.text));

    // A key typed in the editor afterwards saves, and fails, as before.
    m_f->type(QStringLiteral("y"));
    QVERIFY(again.seen);
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\ntwo"));
}

void TestAutosave::bodyFileGoneAndBack_data()
{
    QTest::addColumn<bool>("whileInactive");
    QTest::newRow("window active") << false;
    // Removed in a file manager: coming back, the focus goes to the command box, not the list.
    QTest::newRow("window inactive") << true;
}

void TestAutosave::bodyFileGoneAndBack()
{
    QFETCH(bool, whileInactive);
    openFaq1();
    clickToEnd(mainbox());
    m_f->type(QStringLiteral("x"));
    auto otherWindow = std::make_unique<QWidget>();
    if (whileInactive) {
        otherWindow->show();
        otherWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(otherWindow.get()));
    }

    QVERIFY(QFile::remove(m_f->path(QStringLiteral("faq1.txt"))));
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwox"));
    QCOMPARE(titlebox()->clipText(), QStringLiteral("Title"));
    // The focus left the editor for no control, and the editor takes neither clicks nor keys.
    QCOMPARE(m_f->window()->focusWidget(), nullptr);
    if (whileInactive) {
        otherWindow.reset();
        QVERIFY(m_f->reactivate());
        QCOMPARE(QApplication::focusWidget(), m_f->control<QWidget>("inputbox"));
    }
    QTest::mouseClick(mainbox()->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    QVERIFY(!mainbox()->hasFocus());
    m_f->type(QStringLiteral("z"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("one\r\ntwox"));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("faq1.txt"))));

    m_f->writeFile(QStringLiteral("faq1.txt"), "put back");
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    clickToEnd(mainbox());
    QTest::keyClick(m_f->handle(), Qt::Key_End);
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwox"));
}

void TestAutosave::titleFileGoneSavesNothing()
{
    openFaq1();
    QVERIFY(QFile::remove(m_f->path(QStringLiteral("faq1.hed"))));
    waitForTick();
    QVERIFY(editorsEnabled());

    clickToEnd(titlebox());
    m_f->type(QStringLiteral("x"));
    QCOMPARE(titlebox()->clipText(), QStringLiteral("Titlex"));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("faq1.hed"))));
}

void TestAutosave::previousClipIsNeverSavedIntoAnother()
{
    openFaq1();
    clickToEnd(mainbox());
    m_f->type(QStringLiteral("x"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwox"));

    QTest::mouseClick(inputbox(), Qt::LeftButton);
    m_f->type(QStringLiteral("b\r"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    // Another program makes clip b; the editors still show faq1.
    m_f->writeFile(QStringLiteral("b.txt"), "made elsewhere");
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);

    clickToEnd(mainbox());
    m_f->type(QStringLiteral("y"));
    clickToEnd(titlebox());
    m_f->type(QStringLiteral("z"));
    QCOMPARE(m_f->readFile(QStringLiteral("b.txt")), QByteArray("made elsewhere"));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("b.hed"))));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("one\r\ntwox"));
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.hed")), QByteArray("Title"));
}

void TestAutosave::pollGoesOnWhileAModalBoxIsOpen()
{
    openFaq1();
    QVERIFY(::chmod(m_f->nativePath(QStringLiteral("faq1.txt")).constData(), 0444) == 0);
    clickToEnd(mainbox());

    // The error box of a failed save stays open until the poll, still ticking behind it, has
    // noticed that the body file was deleted.
    bool disabledBehindTheBox = false;
    BoxAnswerer seen(BoxAnswerer::firstButton, [this, &disabledBehindTheBox] {
        QFile::remove(m_f->path(QStringLiteral("faq1.txt")));
        disabledBehindTheBox = editorsDisabled();
        return disabledBehindTheBox;
    });
    m_f->type(QStringLiteral("x"));
    QVERIFY(seen.seen);
    QVERIFY(disabledBehindTheBox);
}

QTEST_MAIN(TestAutosave)
#include "tst_autosave.moc"
