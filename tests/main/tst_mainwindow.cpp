#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "BoxAnswerer.h"
#include "ClipError.h"
#include "ClipFiles.h"
#include "CommandBox.h"
#include "ErrorBox.h"
#include "HandlerGuard.h"
#include "TForm1.h"
#include "TitleLine.h"
#include "WindowTestCase.h"

#include <sys/stat.h>
#include <unistd.h>

class TestMainWindow : public WindowTestCase
{
    Q_OBJECT

private slots:
    void controlsHaveTheirPlacesAndTabStops_data();
    void controlsHaveTheirPlacesAndTabStops();
    void windowIsFixedCentredAndNotTopmostAtCreation();
    void captionsAndFieldFlags();
    void controlsAnnounceTheirRoles();
    void coloursAndFonts();

    void tabVisitsTheTabStopsInOrder();
    void compactLayoutKeepsWidthAndPlace();
    void pollDisablesEditorsWithoutBodyFile();

    void commandBoxTakesEightLowerCaseLetters();
    void singleLineFieldsSelectAllUnlessClicked();
    void titleLineLimitsTypingOnly();
    void bodyEditorLinesAndClipText();

    void firstShowReadsTheClipList();
    void firstShowOpensAnExistingNamelessClip();
    void topmostChangeRefreshesOnlyWhenReal();
    void refreshReturnsToTheListDirectory();
    void alwaysOnTopBoxSwitchesTopmost();

    void errorBoxText_data();
    void errorBoxText();
    void failingHandlerShowsErrorBoxAndProgramGoesOn();
    void failingKeyHandlerKeepsCharacterOut();
    void applicationErrorBox();
};

void TestMainWindow::controlsHaveTheirPlacesAndTabStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<Qt::FocusPolicy>("focus");

    QTest::newRow("inputbox") << "inputbox" << QRect(65, 8, 54, 17) << Qt::StrongFocus;
    QTest::newRow("titlebox") << "titlebox" << QRect(8, 32, 305, 17) << Qt::StrongFocus;
    QTest::newRow("mainbox") << "mainbox" << QRect(8, 56, 305, 182) << Qt::StrongFocus;
    QTest::newRow("CheckBox1") << "CheckBox1" << QRect(128, 8, 97, 17) << Qt::ClickFocus;
    QTest::newRow("indexbox") << "indexbox" << QRect(232, 8, 80, 17) << Qt::ClickFocus;
    QTest::newRow("FileListBox1") << "FileListBox1" << QRect(8, 245, 225, 57) << Qt::StrongFocus;
    QTest::newRow("Button1") << "Button1" << QRect(240, 247, 73, 22) << Qt::StrongFocus;
    QTest::newRow("Button2") << "Button2" << QRect(240, 279, 73, 22) << Qt::StrongFocus;
    QTest::newRow("newfile") << "newfile" << QRect(240, 245, 72, 21) << Qt::ClickFocus;
    QTest::newRow("Label1") << "Label1" << QRect(8, 9, 47, 13) << Qt::NoFocus;
    QTest::newRow("Label2") << "Label2" << QRect(0, 308, 348, 13) << Qt::NoFocus;
    QTest::newRow("Label3") << "Label3" << QRect(278, 308, 33, 13) << Qt::NoFocus;
}

void TestMainWindow::controlsHaveTheirPlacesAndTabStops()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(Qt::FocusPolicy, focus);

    const auto* widget = control<QWidget>(name.toLatin1().constData());
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), m_f->window());
    QCOMPARE(widget->geometry(), place);
    QCOMPARE(widget->focusPolicy(), focus);
}

void TestMainWindow::windowIsFixedCentredAndNotTopmostAtCreation()
{
    QCOMPARE(m_f->window()->windowTitle(), QStringLiteral("Snipwell 1.0"));
    QCOMPARE(m_f->window()->minimumSize(), QSize(321, 326));
    QCOMPARE(m_f->window()->maximumSize(), QSize(321, 326));
    QVERIFY(m_f->window()->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!m_f->window()->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!m_f->window()->windowIcon().isNull());
    QVERIFY(!m_f->window()->isTopmost());

    const auto* timer = control<QTimer>("Timer1");
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 500);
    QVERIFY(timer->isActive());
    QVERIFY(!timer->isSingleShot());

    QVERIFY(control<QCheckBox>("CheckBox1")->isChecked());
    QVERIFY(control<QWidget>("titlebox")->isEnabled());
    QVERIFY(control<QWidget>("mainbox")->isEnabled());

    QVERIFY(m_f->show());
    QVERIFY(!control<QWidget>("newfile")->isVisible());
    QVERIFY(control<QWidget>("Button1")->isVisible());
    // The outer window, frame included, is centred.
    const QPoint offCentre
        = m_f->window()->frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY(qAbs(offCentre.x()) <= 1);
    QVERIFY(qAbs(offCentre.y()) <= 1);
}

void TestMainWindow::controlsAnnounceTheirRoles()
{
    // What a screen reader reads out: a distinct role name and a description for each control
    // the user can reach.
    const QList<std::pair<const char*, QString>> roles = {
        { "inputbox", QStringLiteral("Command box") },  { "titlebox", QStringLiteral("Title") },
        { "mainbox", QStringLiteral("Body") },          { "CheckBox1", QStringLiteral("Always on top") },
        { "indexbox", QStringLiteral("Clip name") },    { "FileListBox1", QStringLiteral("Clip list") },
        { "Button1", QStringLiteral("Create") },        { "Button2", QStringLiteral("Delete") },
        { "newfile", QStringLiteral("New clip name") }, { "Label3", QStringLiteral("About") },
    };
    for (const auto& [objectName, role] : roles) {
        const QWidget* widget = control<QWidget>(objectName);
        QCOMPARE(widget->accessibleName(), role);
        QVERIFY2(!widget->accessibleDescription().isEmpty(), objectName);
    }
    // Roles where Qt's own would mislead: a filler window, a static text that acts as a link.
    QCOMPARE(QAccessible::queryAccessibleInterface(m_f->window())->role(), QAccessible::Window);
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(control<QWidget>("Label3"));
    QCOMPARE(link->role(), QAccessible::Link);
    QVERIFY(link->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QCOMPARE(QAccessible::queryAccessibleInterface(control<QWidget>("mainbox"))->role(), QAccessible::EditableText);
}

void TestMainWindow::captionsAndFieldFlags()
{
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("Command"));
    QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral(" about "));
    QCOMPARE(control<QLabel>("Label3")->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!control<QLabel>("Label2")->text().isEmpty());
    QCOMPARE(control<QCheckBox>("CheckBox1")->text(), QStringLiteral("AlwaysOnTop"));
    QCOMPARE(control<QPushButton>("Button1")->text(), QStringLiteral("Create"));
    QCOMPARE(control<QPushButton>("Button2")->text(), QStringLiteral("Delete"));

    QCOMPARE(control<QLineEdit>("newfile")->maxLength(), 8);
    QVERIFY(control<QLineEdit>("newfile")->hasFrame());
    auto* indexbox = control<QLineEdit>("indexbox");
    QVERIFY(indexbox->isReadOnly());
    indexbox->setText(QStringLiteral("faq1"));
    QCOMPARE(indexbox->text(), QStringLiteral("FAQ1"));
}

void TestMainWindow::coloursAndFonts()
{
    const auto colour = [this](const char* name, QPalette::ColorRole role) {
        return control<QWidget>(name)->palette().color(QPalette::Active, role);
    };
    QCOMPARE(colour("titlebox", QPalette::Base), QColor(0x004080));
    QCOMPARE(colour("titlebox", QPalette::Text), QColor(Qt::white));
    QCOMPARE(colour("mainbox", QPalette::Base), QColor(0xF2F9FF));
    QCOMPARE(colour("indexbox", QPalette::Base), QColor(0x00254A));
    QCOMPARE(colour("indexbox", QPalette::Text), QColor(0xEFF2FC));
    // An editor without the focus shows no selection.
    const auto inactive = [this](const char* name, QPalette::ColorRole role) {
        return control<QWidget>(name)->palette().color(QPalette::Inactive, role);
    };
    QCOMPARE(inactive("mainbox", QPalette::Highlight), QColor(0xF2F9FF));
    QCOMPARE(inactive("titlebox", QPalette::Highlight), QColor(0x004080));
    QCOMPARE(inactive("titlebox", QPalette::HighlightedText), QColor(Qt::white));

    QVERIFY(m_f->show());
    const QImage shot = m_f->window()->grab().toImage();
    QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(318, 241), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(1, 309), QColor(0x172255)); // the footer strip, left of its text
    QCOMPARE(shot.pixelColor(310, 309), QColor(0x233381)); // the about link on top of it

    QCOMPARE(QFontInfo(control<QWidget>("Label1")->font()).family(), QStringLiteral("MS Sans Serif"));
    const QFontInfo editor(control<QWidget>("mainbox")->font());
    QCOMPARE(editor.family(), QStringLiteral("Arimo"));
    QCOMPARE(editor.pixelSize(), 13);
    QVERIFY(QFontInfo(control<QWidget>("FileListBox1")->font()).weight() >= QFont::Bold);
}

void TestMainWindow::tabVisitsTheTabStopsInOrder()
{
    m_f->writeFile(QStringLiteral(".txt"), "nameless"); // keeps the editors enabled
    QVERIFY(m_f->show());
    auto* inputbox = control<QWidget>("inputbox");
    inputbox->setFocus();

    const QStringList forward = { QStringLiteral("titlebox"), QStringLiteral("mainbox"), QStringLiteral("FileListBox1"),
                                  QStringLiteral("Button1"),  QStringLiteral("Button2"), QStringLiteral("inputbox") };
    for (const QString& next : forward) {
        QTest::keyClick(m_f->handle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
    for (auto it = forward.crbegin() + 1; it != forward.crend(); ++it) {
        QTest::keyClick(m_f->handle(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), *it);
    }
}

void TestMainWindow::compactLayoutKeepsWidthAndPlace()
{
    m_f->writeFile(QStringLiteral(".txt"), "nameless");
    QVERIFY(m_f->show());
    const QPoint place = m_f->window()->pos();
    m_f->window()->setOuterHeight(TForm1::kCompactHeight);
    m_f->window()->setCompactTabStops(true);
    QCOMPARE(m_f->window()->outerHeight(), 78);
    QCOMPARE(m_f->window()->width(), 321);
    // A screen reader is told what the compact window leaves out.
    const auto hiddenFromReaders = [this](const char* name) {
        return QAccessible::queryAccessibleInterface(control<QWidget>(name))->state().invisible;
    };
    QVERIFY(hiddenFromReaders("mainbox"));
    QVERIFY(hiddenFromReaders("FileListBox1"));
    QVERIFY(!hiddenFromReaders("titlebox"));
    // Only the command box and the title line take part in Tab.
    control<QWidget>("inputbox")->setFocus();
    for (const char* next : { "titlebox", "inputbox", "titlebox", "inputbox" }) {
        QTest::keyClick(m_f->handle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1StringView(next));
    }

    m_f->window()->setOuterHeight(TForm1::kExpandedHeight);
    m_f->window()->setCompactTabStops(false);
    QCOMPARE(m_f->window()->outerHeight(), 351);
    QCOMPARE(m_f->window()->width(), 321);
    QCOMPARE(m_f->window()->pos(), place);
    QVERIFY(!hiddenFromReaders("FileListBox1"));
    QTest::keyClick(m_f->handle(), Qt::Key_Tab);
    QTest::keyClick(m_f->handle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("mainbox"));
}

void TestMainWindow::pollDisablesEditorsWithoutBodyFile()
{
    QVERIFY(m_f->show());
    auto* titlebox = control<QWidget>("titlebox");
    auto* mainbox = control<QWidget>("mainbox");
    QTRY_VERIFY(!mainbox->isEnabled());
    QVERIFY(!titlebox->isEnabled());

    control<QWidget>("inputbox")->setFocus();
    QTest::keyClick(m_f->handle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("FileListBox1"));

    // The refresh at the first showing left the current paths on the nameless clip.
    m_f->writeFile(QStringLiteral(".txt"), QByteArray());
    QTRY_VERIFY(mainbox->isEnabled());
    QVERIFY(titlebox->isEnabled());
}

void TestMainWindow::commandBoxTakesEightLowerCaseLetters()
{
    auto* inputbox = control<QLineEdit>("inputbox");
    QSignalSpy changes(inputbox, &QLineEdit::textChanged);
    QTest::keyClicks(inputbox, QStringLiteral("FaQ1"));
    QCOMPARE(inputbox->text(), QStringLiteral("faq1"));
    // One change per typed letter, already in lower case.
    QCOMPARE(changes.size(), 4);
    QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("f"));
    QTest::keyClicks(inputbox, QStringLiteral("WxYz9"));
    QCOMPARE(inputbox->text(), QStringLiteral("faq1wxyz"));
}

void TestMainWindow::singleLineFieldsSelectAllUnlessClicked()
{
    QVERIFY(m_f->show());
    auto* inputbox = control<QLineEdit>("inputbox");
    auto* titlebox = control<QWidget>("titlebox");
    inputbox->setText(QStringLiteral("ab"));

    titlebox->setFocus();
    inputbox->setFocus();
    QCOMPARE(inputbox->selectedText(), QStringLiteral("ab"));

    titlebox->setFocus();
    QTest::mouseClick(inputbox, Qt::LeftButton, {}, QPoint(40, 8));
    QVERIFY(inputbox->hasFocus());
    QVERIFY(inputbox->selectedText().isEmpty());
}

void TestMainWindow::titleLineLimitsTypingOnly()
{
    auto* titlebox = control<QPlainTextEdit>("titlebox");
    const QString longTitle(150, QLatin1Char('t'));
    titlebox->setPlainText(longTitle);
    QCOMPARE(titlebox->toPlainText(), longTitle);
    titlebox->moveCursor(QTextCursor::End);
    QTest::keyClick(titlebox, Qt::Key_A);
    QCOMPARE(titlebox->toPlainText(), longTitle);

    // A typed character that replaces a selection is taken even above the limit.
    QTextCursor cursor = titlebox->textCursor();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor);
    titlebox->setTextCursor(cursor);
    QTest::keyClick(titlebox, Qt::Key_X);
    QCOMPARE(titlebox->toPlainText(), QString(149, QLatin1Char('t')) + QLatin1Char('x'));

    titlebox->setPlainText(QString(98, QLatin1Char('t')));
    titlebox->moveCursor(QTextCursor::End);
    QTest::keyClicks(titlebox, QStringLiteral("abc"));
    QCOMPARE(titlebox->toPlainText(), QString(98, QLatin1Char('t')) + QStringLiteral("ab"));

    // Backspace still works at the limit, and Enter never adds a line.
    QTest::keyClick(titlebox, Qt::Key_Backspace);
    QTest::keyClick(titlebox, Qt::Key_Return);
    QTest::keyClick(titlebox, Qt::Key_Enter);
    QCOMPARE(titlebox->toPlainText(), QString(98, QLatin1Char('t')) + QStringLiteral("a"));
    QCOMPARE(titlebox->blockCount(), 1);
}

void TestMainWindow::bodyEditorLinesAndClipText()
{
    auto* mainbox = control<ClipTextEdit>("mainbox");
    QTest::keyClick(mainbox, Qt::Key_A);
    QTest::keyClick(mainbox, Qt::Key_Return);
    QTest::keyClick(mainbox, Qt::Key_B);
    QTest::keyClick(mainbox, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(mainbox, Qt::Key_C);
    QCOMPARE(mainbox->clipText(), QStringLiteral("a\r\nb\r\nc"));

    mainbox->setPlainText(QStringLiteral("a\u00A0b\r\n\r\nc"));
    QCOMPARE(mainbox->clipText(), QStringLiteral("a\u00A0b\r\n\r\nc"));
}

void TestMainWindow::firstShowReadsTheClipList()
{
    m_f->writeFile(QStringLiteral("b.txt"), "b");
    m_f->writeFile(QStringLiteral("A.TXT"), "a");
    m_f->writeFile(QStringLiteral("c.hed"), "c");
    QVERIFY(QDir(m_f->path(QString())).mkdir(QStringLiteral("d.txt")));
    auto* list = control<QListView>("FileListBox1");
    auto* inputbox = control<QLineEdit>("inputbox");
    inputbox->setText(QStringLiteral("typed"));

    // Before the window is shown a refresh does nothing.
    m_f->window()->refreshClipList();
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(inputbox->text(), QStringLiteral("typed"));

    QVERIFY(m_f->show());
    QCOMPARE(list->model()->rowCount(), 2);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("A.TXT"));
    QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("b.txt"));
    QVERIFY(!list->selectionModel()->hasSelection());
    QVERIFY(inputbox->text().isEmpty());
}

void TestMainWindow::firstShowOpensAnExistingNamelessClip()
{
    m_f->writeFile(QStringLiteral(".txt"), "one\r\ntwo");
    QGuiApplication::clipboard()->clear();
    QVERIFY(m_f->show());

    auto* mainbox = control<ClipTextEdit>("mainbox");
    QCOMPARE(mainbox->clipText(), QStringLiteral("one\r\ntwo"));
    QCOMPARE(mainbox->textCursor().selectedText().size(), mainbox->toPlainText().size());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one\r\ntwo"));
    QVERIFY(control<QPlainTextEdit>("titlebox")->toPlainText().isEmpty());
    QCOMPARE(QFileInfo(m_f->path(QStringLiteral(".hed"))).size(), 0);
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("FileListBox1"));
}

void TestMainWindow::topmostChangeRefreshesOnlyWhenReal()
{
    QVERIFY(m_f->show());
    auto* inputbox = control<QLineEdit>("inputbox");
    auto* titlebox = control<QPlainTextEdit>("titlebox");
    const QPoint place = m_f->window()->pos();
    titlebox->setFocus();

    inputbox->setText(QStringLiteral("kept"));
    m_f->window()->setTopmost(false);
    QCOMPARE(inputbox->text(), QStringLiteral("kept"));

    m_f->window()->setTopmost(true);
    QVERIFY(m_f->window()->isTopmost());
    QVERIFY(m_f->handle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(inputbox->text().isEmpty());
    QVERIFY(titlebox->hasFocus());
    QCOMPARE(m_f->window()->pos(), place);

    inputbox->setText(QStringLiteral("kept"));
    m_f->window()->setTopmost(true);
    QCOMPARE(inputbox->text(), QStringLiteral("kept"));

    m_f->window()->setTopmost(false);
    QVERIFY(!m_f->window()->isTopmost());
    QVERIFY(!m_f->handle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(inputbox->text().isEmpty());
}

void TestMainWindow::refreshReturnsToTheListDirectory()
{
    QVERIFY(m_f->show());
    const QByteArray listDirectory = ClipFiles::currentDirectory();
    QTemporaryDir elsewhere;
    QVERIFY(::chdir(QFile::encodeName(elsewhere.path()).constData()) == 0);
    QFile(elsewhere.filePath(QStringLiteral("other.txt"))).open(QIODevice::WriteOnly);

    m_f->window()->setTopmost(true);
    QCOMPARE(ClipFiles::currentDirectory(), listDirectory);
    QCOMPARE(control<QListView>("FileListBox1")->model()->rowCount(), 0);
}

void TestMainWindow::alwaysOnTopBoxSwitchesTopmost()
{
    QVERIFY(m_f->show());
    auto* checkBox = control<QCheckBox>("CheckBox1");
    auto* inputbox = control<QLineEdit>("inputbox");
    const auto clickBox = [checkBox] { QTest::mouseClick(checkBox, Qt::LeftButton, {}, QPoint(6, 8)); };

    // Checked but not topmost at creation: unchecking changes no style and refreshes nothing.
    inputbox->setText(QStringLiteral("ab"));
    clickBox();
    QVERIFY(!checkBox->isChecked());
    QVERIFY(!m_f->window()->isTopmost());
    QCOMPARE(inputbox->text(), QStringLiteral("ab"));
    QVERIFY(inputbox->hasFocus());

    clickBox();
    QVERIFY(checkBox->isChecked());
    QVERIFY(m_f->window()->isTopmost());
    QVERIFY(inputbox->text().isEmpty());
    QVERIFY(inputbox->hasFocus());
}

void TestMainWindow::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("letter") << "Stream write error"
                            << "Stream write error.";
    QTest::newRow("digit") << "Error 42"
                           << "Error 42.";
    QTest::newRow("question mark") << "Really?"
                                   << "Really?.";
    QTest::newRow("path") << "Cannot open file /clips/faq1.txt"
                          << "Cannot open file /clips/faq1.txt.";
    QTest::newRow("slash") << "Cannot open file /"
                           << "Cannot open file /.";
    QTest::newRow("non-ASCII") << QStringLiteral("Fehler \u00E4") << QStringLiteral("Fehler \u00E4.");
    QTest::newRow("exclamation mark") << "File already exists!"
                                      << "File already exists!";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("hyphen") << "a-"
                            << "a-";
    QTest::newRow("blank") << "a "
                           << "a ";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMainWindow::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBox::textFor(message), shown);
}

void TestMainWindow::failingHandlerShowsErrorBoxAndProgramGoesOn()
{
    m_f->writeFile(QStringLiteral(".txt"), "body");
    QVERIFY(m_f->show());
    auto* mainbox = control<ClipTextEdit>("mainbox");
    QCOMPARE(mainbox->clipText(), QStringLiteral("body"));
    QVERIFY(::chmod(QFile::encodeName(m_f->path(QStringLiteral(".txt"))).constData(), 0444) == 0);

    mainbox->setFocus();
    BoxAnswerer seen;
    QTest::keyClick(mainbox, Qt::Key_End);
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("Snipwell 1.0"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QVERIFY2(seen.text.startsWith(QStringLiteral("Cannot create file ")), qPrintable(seen.text));
    QVERIFY2(seen.text.endsWith(QStringLiteral("/.txt.")), qPrintable(seen.text));
    QCOMPARE(seen.buttons, QStringList { QStringLiteral("OK") });

    // The editor keeps its text, the file stays, and the next release tries again.
    QCOMPARE(mainbox->clipText(), QStringLiteral("body"));
    QVERIFY(!QApplication::activeModalWidget());
    BoxAnswerer again;
    QTest::keyClick(mainbox, Qt::Key_Home);
    QVERIFY(again.seen);
    QCOMPARE(again.text, seen.text);
    QFile body(m_f->path(QStringLiteral(".txt")));
    QVERIFY(body.open(QIODevice::ReadOnly));
    QCOMPARE(body.readAll(), QByteArray("body"));
}

void TestMainWindow::failingKeyHandlerKeepsCharacterOut()
{
    CommandBox box;
    bool fail = true;
    box.setKeyPressHook([&fail](QChar key) {
        return runGuarded([&] {
            if (fail && key == QLatin1Char('x'))
                throw ClipError(QStringLiteral("Cannot open file x"));
        });
    });
    BoxAnswerer seen;
    QTest::keyClicks(&box, QStringLiteral("axb"));
    QVERIFY(seen.seen);
    QCOMPARE(seen.text, QStringLiteral("Cannot open file x."));
    QCOMPARE(box.text(), QStringLiteral("ab"));

    fail = false;
    QTest::keyClick(&box, Qt::Key_X);
    QCOMPARE(box.text(), QStringLiteral("abx"));
}

void TestMainWindow::applicationErrorBox()
{
    BoxAnswerer seen;
    ErrorBox::showApplicationError(QStringLiteral("ClipError"), QStringLiteral("Cannot open file /x"));
    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("Application Error"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QVERIFY(seen.text.contains(QStringLiteral("ClipError")));
    QVERIFY(seen.text.contains(QStringLiteral("Cannot open file /x")));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
