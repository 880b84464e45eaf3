#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "ClipTextEdit.h"
#include "TForm1.h"
#include "WindowFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

const QString kMarker = QStringLiteral("clipboard before");

} // namespace

// The clip list, Create and Delete, driven through the window with real keys and clicks.
class TestClipList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsBodyFilesInCaseInsensitiveOrder();
    void refreshMovesToTheNamelessClip_data();
    void refreshMovesToTheNamelessClip();
    void refreshOpensAnExistingNamelessClip();
    void pickingTheLastReportedEntryDoesNothing();
    void arrowKeysOpenEachEntryPassed();
    void keysWithNothingSelectedStartAtTheTop_data();
    void keysWithNothingSelectedStartAtTheTop();
    void pickOfVanishedFileOnlyMovesThePaths();
    void focusEntryFollowsAnotherCurrentDirectory_data();
    void focusEntryFollowsAnotherCurrentDirectory();
    void listDirectoryGoneListsNothing();
    void busyPointerFromTheHundredthEntry_data();
    void busyPointerFromTheHundredthEntry();

    void newNameBoxWhileOpen();
    void createOutcomes_data();
    void createOutcomes();

    void deleteWithYesRemovesBothFilesAndClearsDisplays();
    void enterPressesAFocusedButton_data();
    void enterPressesAFocusedButton();
    void deleteAsksNothingWithoutFile_data();
    void deleteAsksNothingWithoutFile();
    void deleteOfReadOnlyBodyKeepsIt();

private:
    // The fixture's window, or one made in a folder of the test's own.
    TForm1* window() const { return m_own ? m_own.get() : m_f->window(); }
    template <typename T> T* control(const char* name) const
    {
        return window()->findChild<T*>(QLatin1StringView(name));
    }
    QListView* list() const { return control<QListView>("FileListBox1"); }
    QLineEdit* inputbox() const { return control<QLineEdit>("inputbox"); }
    QLineEdit* indexbox() const { return control<QLineEdit>("indexbox"); }
    QLineEdit* newfile() const { return control<QLineEdit>("newfile"); }
    ClipTextEdit* titlebox() const { return control<ClipTextEdit>("titlebox"); }
    ClipTextEdit* mainbox() const { return control<ClipTextEdit>("mainbox"); }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    // Where the focus is once the main window is active again after a modal box, as a window
    // manager makes it (the offscreen platform activates no window by itself).
    QString focusAfterBox() const
    {
        window()->activateWindow();
        return QTest::qWaitForWindowActive(window()) ? focusName() : QString();
    }

    QStringList entries() const;
    int selectedRow() const;
    bool editorsDisabled() const { return !titlebox()->isEnabled() && !mainbox()->isEnabled(); }
    bool editorsEnabled() const { return titlebox()->isEnabled() && mainbox()->isEnabled(); }

    // Clicks through the window at a point of a control, as the mouse would.
    void clickAt(QWidget* widget, QPoint point, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(window()->windowHandle(), button, modifiers, widget->mapTo(window(), point));
    }
    void clickOn(const char* name) const { clickAt(control<QWidget>(name), control<QWidget>(name)->rect().center()); }
    void clickEntry(int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {}) const
    {
        clickAt(list()->viewport(), list()->visualRect(list()->model()->index(row, 0)).center(), button, modifiers);
    }
    void key(Qt::Key key) const { QTest::keyClick(window()->windowHandle(), key); }

    static void pressKey(QMessageBox* box, Qt::Key key) { QTest::keyClick(box->windowHandle(), key); }
    static void clickButton(QMessageBox* box, const QString& text)
    {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text)
                button->click();
        }
    }

    // Shows the window on clips a, b and c, the editors disabled by the poll.
    void showWithThreeClips();
    void createClip(const QString& typed);
    // Makes and shows a window whose list directory is the named folder of the clip folder.
    void showWindowIn(const QString& folder);

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<TForm1> m_own;
};

void TestClipList::init()
{
    m_f = std::make_unique<WindowFixture>();
    QGuiApplication::clipboard()->setText(kMarker);
}

void TestClipList::cleanup()
{
    m_own.reset();
    m_f.reset();
}

QStringList TestClipList::entries() const
{
    QStringList names;
    for (int row = 0; row < list()->model()->rowCount(); ++row)
        names << list()->model()->index(row, 0).data().toString();
    return names;
}

int TestClipList::selectedRow() const
{
    const QModelIndexList rows = list()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TestClipList::showWithThreeClips()
{
    m_f->writeFile(QStringLiteral("a.txt"), "body a");
    m_f->writeFile(QStringLiteral("b.txt"), "body b");
    m_f->writeFile(QStringLiteral("c.txt"), "body c");
    QVERIFY(m_f->show());
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
}

void TestClipList::createClip(const QString& typed)
{
    clickOn("Button1");
    QVERIFY(newfile()->hasFocus());
    m_f->type(typed);
    key(Qt::Key_Return);
}

void TestClipList::showWindowIn(const QString& folder)
{
    QVERIFY(::chdir(m_f->nativePath(folder).constData()) == 0);
    m_own = std::make_unique<TForm1>();
    m_own->show();
    QVERIFY(QTest::qWaitForWindowActive(m_own.get()));
}

void TestClipList::listsBodyFilesInCaseInsensitiveOrder()
{
    for (const char* name : { "b.TXT", "a.txt", "C.Txt", ".txt", "a.hed", "d.txt.bak", "dtxt", "e.txtx" })
        m_f->writeFile(QLatin1StringView(name), QByteArray());
    QVERIFY(QDir(m_f->path(QString())).mkdir(QStringLiteral("dir.txt")));
    QCOMPARE(::mkfifo(m_f->nativePath(QStringLiteral("fifo.txt")).constData(), 0644), 0);
    QVERIFY(m_f->show());

    QCOMPARE(entries(), (QStringList { ".txt", "a.txt", "b.TXT", "C.Txt" }));
    QCOMPARE(list()->visualRect(list()->model()->index(1, 0)).height(), 16);
}

void TestClipList::refreshMovesToTheNamelessClip_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("focus");

    QTest::newRow("star command") << "*"
                                  << "FileListBox1";
    QTest::newRow("create") << "create"
                            << "inputbox";
    QTest::newRow("delete answered No") << "&No"
                                        << "inputbox";
    QTest::newRow("delete answered with Esc") << "Esc"
                                              << "inputbox";
    QTest::newRow("delete box closed") << "close"
                                       << "inputbox";
}

void TestClipList::refreshMovesToTheNamelessClip()
{
    QFETCH(QString, action);
    QFETCH(QString, focus);
    showWithThreeClips();
    m_f->writeFile(QStringLiteral("b.hed"), "title b");
    clickEntry(1);
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    clickOn("inputbox");
    m_f->type(QStringLiteral("ab"));

    // Only Delete asks.
    BoxAnswerer details([action](QMessageBox* box) {
        if (action == QLatin1String("Esc"))
            pressKey(box, Qt::Key_Escape);
        else if (action == QLatin1String("close"))
            box->close();
        else
            clickButton(box, action);
    });
    if (action == QLatin1String("*")) {
        m_f->type(action);
        QVERIFY(!details.seen);
    } else if (action == QLatin1String("create")) {
        createClip(QStringLiteral("new"));
        QVERIFY(!details.seen);
    } else {
        clickOn("Button2");
        QVERIFY(details.seen);
    }

    QCOMPARE(m_f->readFile(QStringLiteral("b.txt")), QByteArray("body b"));
    QCOMPARE(m_f->readFile(QStringLiteral("b.hed")), QByteArray("title b"));
    QCOMPARE(selectedRow(), -1);
    QVERIFY(inputbox()->text().isEmpty());
    // The last clip stays on show, but the editors go.
    QCOMPARE(indexbox()->text(), QStringLiteral("B"));
    QCOMPARE(titlebox()->clipText(), QStringLiteral("title b"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("body b"));
    QCOMPARE(details.seen ? focusAfterBox() : focusName(), focus);
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    // The current paths name the nameless clip: its body file turning up enables the editors.
    m_f->writeFile(QStringLiteral(".txt"), "nameless");
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
}

void TestClipList::refreshOpensAnExistingNamelessClip()
{
    m_f->writeFile(QStringLiteral(".txt"), "nameless");
    m_f->writeFile(QStringLiteral("a.txt"), "body a");
    QVERIFY(m_f->show());
    clickEntry(1);
    QCOMPARE(clipboard(), QStringLiteral("body a"));
    QVERIFY(QFile::remove(m_f->path(QStringLiteral(".hed"))));

    // Create ends with a refresh, whose pick opens ".txt" and takes the focus to the list.
    createClip(QStringLiteral("new"));
    QCOMPARE(entries(), (QStringList { ".txt", "a.txt", "new.txt" }));
    QCOMPARE(selectedRow(), -1);
    QCOMPARE(clipboard(), QStringLiteral("nameless"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("nameless"));
    QVERIFY(indexbox()->text().isEmpty());
    QVERIFY(QFileInfo::exists(m_f->path(QStringLiteral(".hed"))));
    QCOMPARE(focusName(), QStringLiteral("FileListBox1"));

    // Picking the entry ".txt" opens the same clip.
    QGuiApplication::clipboard()->setText(kMarker);
    clickEntry(0);
    QCOMPARE(clipboard(), QStringLiteral("nameless"));
}

void TestClipList::pickingTheLastReportedEntryDoesNothing()
{
    showWithThreeClips();
    clickEntry(0);
    QCOMPARE(clipboard(), QStringLiteral("body a"));
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(focusName(), QStringLiteral("FileListBox1"));
    QVERIFY(QFileInfo::exists(m_f->path(QStringLiteral("a.hed"))));

    clickOn("inputbox");
    m_f->type(QStringLiteral("b\r"));
    QCOMPARE(clipboard(), QStringLiteral("body b"));

    // a is still the entry last reported: no pick, so the typed text stays too.
    clickOn("inputbox");
    m_f->type(QStringLiteral("xy"));
    clickEntry(0);
    QCOMPARE(clipboard(), QStringLiteral("body b"));
    QCOMPARE(indexbox()->text(), QStringLiteral("B"));
    QCOMPARE(inputbox()->text(), QStringLiteral("xy"));
    // Neither does a Ctrl+click take the selection away, nor a right click move it.
    clickEntry(0, Qt::LeftButton, Qt::ControlModifier);
    clickEntry(2, Qt::RightButton);
    QCOMPARE(selectedRow(), 0);
    QCOMPARE(clipboard(), QStringLiteral("body b"));

    clickEntry(2);
    QCOMPARE(clipboard(), QStringLiteral("body c"));
    QVERIFY(inputbox()->text().isEmpty());
    clickEntry(0);
    QCOMPARE(clipboard(), QStringLiteral("body a"));
}

void TestClipList::arrowKeysOpenEachEntryPassed()
{
    showWithThreeClips();
    clickOn("inputbox");
    key(Qt::Key_Tab); // the editors are disabled, so Tab reaches the list
    QCOMPARE(focusName(), QStringLiteral("FileListBox1"));
    QCOMPARE(selectedRow(), -1);

    const std::pair<Qt::Key, int> steps[] = { { Qt::Key_Down, 0 }, { Qt::Key_Down, 1 }, { Qt::Key_Down, 2 },
                                              { Qt::Key_Up, 1 },   { Qt::Key_Home, 0 }, { Qt::Key_End, 2 } };
    for (const auto& [pressed, row] : steps) {
        key(pressed);
        QCOMPARE(selectedRow(), row);
        QCOMPARE(clipboard(), QStringLiteral("body ") + QLatin1Char('a' + row));
        QCOMPARE(indexbox()->text(), QString(QLatin1Char('A' + row)));
        QCOMPARE(focusName(), QStringLiteral("FileListBox1"));
    }
    // At the end of the list Down moves nowhere and opens nothing again.
    QGuiApplication::clipboard()->setText(kMarker);
    key(Qt::Key_Down);
    QCOMPARE(clipboard(), kMarker);
}

void TestClipList::keysWithNothingSelectedStartAtTheTop_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("row");

    QTest::newRow("Down") << Qt::Key_Down << 0;
    QTest::newRow("Up") << Qt::Key_Up << 0;
    QTest::newRow("Home") << Qt::Key_Home << 0;
    QTest::newRow("End") << Qt::Key_End << 2;
    QTest::newRow("first letter") << Qt::Key_B << 1;
    QTest::newRow("first letter of the first entry") << Qt::Key_A << 0;
}

void TestClipList::keysWithNothingSelectedStartAtTheTop()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, row);
    showWithThreeClips();
    clickEntry(1);
    // "*" refreshes and gives the list the focus, with nothing selected.
    clickOn("inputbox");
    m_f->type(QStringLiteral("*"));
    QCOMPARE(focusName(), QStringLiteral("FileListBox1"));
    QCOMPARE(selectedRow(), -1);
    QGuiApplication::clipboard()->setText(kMarker);

    this->key(key);
    QCOMPARE(selectedRow(), row);
    QCOMPARE(clipboard(), QStringLiteral("body ") + QLatin1Char('a' + row));
}

void TestClipList::pickOfVanishedFileOnlyMovesThePaths()
{
    showWithThreeClips();
    clickEntry(0);
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    QVERIFY(QFile::remove(m_f->path(QStringLiteral("b.txt"))));
    clickOn("inputbox");
    m_f->type(QStringLiteral("xy"));

    clickEntry(1);
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(clipboard(), QStringLiteral("body a"));
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("body a"));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("b.hed"))));
    QCOMPARE(focusName(), QStringLiteral("FileListBox1"));
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);

    // The paths name b now: its body file coming back enables the editors.
    m_f->writeFile(QStringLiteral("b.txt"), "body b");
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
}

void TestClipList::focusEntryFollowsAnotherCurrentDirectory_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("opened");

    QTest::newRow("another directory") << "other" << QStringList { "x.txt", "y.txt" } << "body x";
    // Letter case aside, the list directory's name: the list stays as it was, and the pick
    // looks for a.txt in the current directory, which has none.
    QTest::newRow("the same name in capitals") << "CLIPS" << QStringList { "a.txt" } << kMarker;
}

void TestClipList::focusEntryFollowsAnotherCurrentDirectory()
{
    QFETCH(QString, directory);
    QFETCH(QStringList, listed);
    QFETCH(QString, opened);
    QDir root(m_f->path(QString()));
    QVERIFY(root.mkdir(QStringLiteral("clips")) && root.mkdir(directory));
    m_f->writeFile(QStringLiteral("clips/a.txt"), "body a");
    m_f->writeFile(directory + QStringLiteral("/x.txt"), "body x");
    m_f->writeFile(directory + QStringLiteral("/y.txt"), "body y");
    showWindowIn(QStringLiteral("clips"));
    QCOMPARE(entries(), QStringList { QStringLiteral("a.txt") });

    // Something else changed the current directory; a click into the list first re-reads
    // it there, then selects the entry now under the mouse.
    QVERIFY(::chdir(m_f->nativePath(directory).constData()) == 0);
    clickEntry(0);
    QCOMPARE(entries(), listed);
    QCOMPARE(selectedRow(), 0);
    QCOMPARE(clipboard(), opened);
}

void TestClipList::listDirectoryGoneListsNothing()
{
    QVERIFY(QDir(m_f->path(QString())).mkdir(QStringLiteral("clips")));
    m_f->writeFile(QStringLiteral("clips/a.txt"), "body a");
    showWindowIn(QStringLiteral("clips"));
    QCOMPARE(entries().size(), 1);

    QVERIFY(::chdir(m_f->nativePath(QString()).constData()) == 0);
    QVERIFY(QDir(m_f->path(QStringLiteral("clips"))).removeRecursively());
    clickOn("Button2"); // nothing selected: refreshes
    QVERIFY(entries().isEmpty());
    QCOMPARE(focusName(), QStringLiteral("inputbox"));
}

void TestClipList::busyPointerFromTheHundredthEntry_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("busy");

    QTest::newRow("100 entries") << 100 << false;
    QTest::newRow("101 entries") << 101 << true;
    QTest::newRow("150 entries") << 150 << true;
}

void TestClipList::busyPointerFromTheHundredthEntry()
{
    QFETCH(int, files);
    QFETCH(bool, busy);
    for (int i = 0; i < files; ++i)
        m_f->writeFile(QStringLiteral("clip%1.txt").arg(i, 3, 10, QLatin1Char('0')), QByteArray());

    bool sawBusy = false;
    const QMetaObject::Connection watch = connect(list()->model(), &QAbstractItemModel::modelReset, this, [&sawBusy] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        sawBusy = cursor && cursor->shape() == Qt::WaitCursor;
    });
    QVERIFY(m_f->show());
    disconnect(watch);
    QCOMPARE(list()->model()->rowCount(), files);
    QCOMPARE(sawBusy, busy);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestClipList::newNameBoxWhileOpen()
{
    m_f->writeFile(QStringLiteral(".txt"), "nameless"); // keeps the editors in the Tab order
    QVERIFY(m_f->show());
    auto* createButton = control<QPushButton>("Button1");

    clickOn("Button1");
    QVERIFY(newfile()->isVisible());
    QVERIFY(newfile()->hasFocus());
    QVERIFY(!createButton->isEnabled());
    QVERIFY(newfile()->geometry().intersects(createButton->geometry()));

    // Eight characters in the case typed; Esc closes nothing.
    m_f->type(QStringLiteral("AbCdEfGhIj"));
    key(Qt::Key_Escape);
    QCOMPARE(newfile()->text(), QStringLiteral("AbCdEfGh"));
    QVERIFY(newfile()->isVisible());

    // Tab never leads back into the box; a click does.
    clickOn("inputbox");
    for (int i = 0; i < 8; ++i) {
        key(Qt::Key_Tab);
        QVERIFY(focusName() != QStringLiteral("newfile"));
        QVERIFY(focusName() != QStringLiteral("Button1"));
    }
    QVERIFY(newfile()->isVisible());
    QVERIFY(!createButton->isEnabled());
    clickOn("newfile");
    QVERIFY(newfile()->hasFocus());
    key(Qt::Key_Return);

    QVERIFY(QFileInfo::exists(m_f->path(QStringLiteral("AbCdEfGh.txt"))));
    QVERIFY(!newfile()->isVisible());
    QVERIFY(createButton->isEnabled());
}

void TestClipList::createOutcomes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<Qt::Key>("answer");
    QTest::addColumn<QString>("created");

    const auto row = [](const char* tag, const char* typed, const char* notice, Qt::Key answer, const char* created) {
        QTest::newRow(tag) << QString::fromUtf8(typed) << QString::fromUtf8(notice) << answer
                           << QString::fromUtf8(created);
    };
    row("new name", "Fresh1", "", Qt::Key_Return, "Fresh1.txt");
    row("empty name", "", "", Qt::Key_Return, ".txt");
    row("existing name", "faq1", "File already exists!", Qt::Key_Return, "");
    row("existing name in capitals", "FAQ1", "File already exists!", Qt::Key_Escape, "");
    row("pattern with a match", "fa*", "File already exists!", Qt::Key_Return, "");
    row("pattern without a match", "zz?", "Error creating file!", Qt::Key_Return, "");
    row("refused character", "a|b", "Error creating file!", Qt::Key_Escape, "");
    row("missing folder", "no/x", "Error creating file!", Qt::Key_Return, "");
}

void TestClipList::createOutcomes()
{
    QFETCH(QString, typed);
    QFETCH(QString, notice);
    QFETCH(Qt::Key, answer);
    QFETCH(QString, created);

    m_f->writeFile(QStringLiteral("faq1.txt"), "kept");
    QVERIFY(m_f->show());
    const QStringList before = QDir(m_f->path(QString())).entryList(QDir::Files | QDir::Hidden);

    BoxAnswerer details([answer](QMessageBox* box) { pressKey(box, answer); });
    createClip(typed);
    QCOMPARE(details.seen, !notice.isEmpty());
    if (details.seen) {
        QCOMPARE(details.caption, QStringLiteral("Snipwell 1.0"));
        QCOMPARE(details.text, notice);
        QCOMPARE(details.icon, QMessageBox::NoIcon);
        QCOMPARE(details.buttons, QStringList { QStringLiteral("OK") });
        QCOMPARE(details.defaultButton, QStringLiteral("OK"));
        QCOMPARE(details.escapeButton, QStringLiteral("OK"));
        QCOMPARE(details.format, Qt::PlainText);
    }

    QStringList after = before;
    if (!created.isEmpty()) {
        QCOMPARE(QFileInfo(m_f->path(created)).size(), 0);
        after << created;
        after.sort();
    }
    QStringList now = QDir(m_f->path(QString())).entryList(QDir::Files | QDir::Hidden);
    now.removeAll(QStringLiteral(".hed")); // the nameless clip's title, once ".txt" exists
    now.sort();
    QCOMPARE(now, after);
    QCOMPARE(m_f->readFile(QStringLiteral("faq1.txt")), QByteArray("kept"));

    QVERIFY(newfile()->text().isEmpty());
    QVERIFY(!newfile()->isVisible());
    QVERIFY(control<QWidget>("Button1")->isEnabled());
    QCOMPARE(selectedRow(), -1);
    QCOMPARE(entries().size(), after.filter(QStringLiteral(".txt")).size());
    // The focus went to the command box, unless the refresh opened the nameless clip.
    QCOMPARE(focusAfterBox(),
             created == QLatin1String(".txt") ? QStringLiteral("FileListBox1") : QStringLiteral("inputbox"));
}

void TestClipList::deleteWithYesRemovesBothFilesAndClearsDisplays()
{
    m_f->writeFile(QStringLiteral("faq1.txt"), "body faq1");
    m_f->writeFile(QStringLiteral("faq1.hed"), "title faq1");
    m_f->writeFile(QStringLiteral("other.txt"), "body other");
    QVERIFY(m_f->show());
    // Off the screen's centre, so that a box centred on the window would show.
    m_f->window()->move(0, 0);
    QTRY_COMPARE(m_f->window()->pos(), QPoint(0, 0));

    clickEntry(0);
    QCOMPARE(indexbox()->text(), QStringLiteral("FAQ1"));
    // The displays are emptied whichever clip they show.
    clickOn("inputbox");
    m_f->type(QStringLiteral("other"));
    key(Qt::Key_Return);
    QCOMPARE(mainbox()->clipText(), QStringLiteral("body other"));

    BoxAnswerer details([](QMessageBox* box) { pressKey(box, Qt::Key_Return); });
    clickOn("Button2");
    QVERIFY(details.seen);
    QCOMPARE(details.caption, QStringLiteral("Confirm"));
    QCOMPARE(details.icon, QMessageBox::Question);
    QCOMPARE(details.text,
             QStringLiteral("Delete file %1 ?")
                 .arg(QString::fromUtf8(ClipFiles::currentDirectory()) + QStringLiteral("/faq1.txt")));
    QCOMPARE(details.buttons, (QStringList { "&Yes", "&No" }));
    QCOMPARE(details.defaultButton, QStringLiteral("&Yes"));
    QCOMPARE(details.escapeButton, QStringLiteral("&No"));
    // A file named like markup is shown as it is named.
    QCOMPARE(details.format, Qt::PlainText);
    const QPoint offCentre = details.centre - QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY2(offCentre.manhattanLength() < 40,
             qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));

    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("faq1.txt"))));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("faq1.hed"))));
    QCOMPARE(m_f->readFile(QStringLiteral("other.txt")), QByteArray("body other"));
    QVERIFY(mainbox()->clipText().isEmpty());
    QVERIFY(titlebox()->clipText().isEmpty());
    QVERIFY(indexbox()->text().isEmpty());
    QCOMPARE(entries(), QStringList { QStringLiteral("other.txt") });
    QCOMPARE(selectedRow(), -1);
    QCOMPARE(focusAfterBox(), QStringLiteral("inputbox"));
}

void TestClipList::enterPressesAFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("asks");

    QTest::newRow("Create") << "Button1" << false;
    QTest::newRow("Delete") << "Button2" << true;
}

void TestClipList::enterPressesAFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(bool, asks);
    showWithThreeClips();
    clickEntry(0);
    control<QWidget>(qPrintable(button))->setFocus(Qt::TabFocusReason);

    BoxAnswerer details([](QMessageBox* box) { clickButton(box, QStringLiteral("&No")); });
    key(Qt::Key_Return);
    QCOMPARE(details.seen, asks);
    QCOMPARE(newfile()->isVisible(), !asks);
}

void TestClipList::deleteAsksNothingWithoutFile_data()
{
    QTest::addColumn<bool>("select");
    QTest::newRow("nothing selected") << false;
    QTest::newRow("body file vanished") << true;
}

void TestClipList::deleteAsksNothingWithoutFile()
{
    QFETCH(bool, select);
    showWithThreeClips();
    if (select) {
        clickEntry(1);
        QVERIFY(QFile::remove(m_f->path(QStringLiteral("b.txt"))));
    }
    clickOn("inputbox");
    m_f->type(QStringLiteral("xy"));

    BoxAnswerer details([](QMessageBox* box) { clickButton(box, QStringLiteral("&No")); });
    clickOn("Button2");
    QVERIFY(!details.seen);
    QVERIFY(inputbox()->text().isEmpty()); // the refresh ran
    QCOMPARE(entries().size(), select ? 2 : 3);
    QCOMPARE(selectedRow(), -1);
    QCOMPARE(focusName(), QStringLiteral("inputbox"));
}

void TestClipList::deleteOfReadOnlyBodyKeepsIt()
{
    m_f->writeFile(QStringLiteral("ro.txt"), "read only");
    m_f->writeFile(QStringLiteral("ro.hed"), "title");
    QCOMPARE(::chmod(m_f->nativePath(QStringLiteral("ro.txt")).constData(), 0444), 0);
    QVERIFY(m_f->show());
    clickEntry(0);
    QCOMPARE(indexbox()->text(), QStringLiteral("RO"));

    BoxAnswerer details([](QMessageBox* box) { clickButton(box, QStringLiteral("&Yes")); });
    clickOn("Button2");
    QVERIFY(details.seen);
    QCOMPARE(m_f->readFile(QStringLiteral("ro.txt")), QByteArray("read only"));
    QVERIFY(!QFileInfo::exists(m_f->path(QStringLiteral("ro.hed"))));
    QVERIFY(mainbox()->clipText().isEmpty());
    QVERIFY(indexbox()->text().isEmpty());
    QCOMPARE(entries(), QStringList { QStringLiteral("ro.txt") });
    QCOMPARE(selectedRow(), -1);
}

QTEST_MAIN(TestClipList)
#include "tst_cliplist.moc"
