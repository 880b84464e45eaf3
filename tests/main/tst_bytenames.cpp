#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "BoxAnswerer.h"
#include "ClipError.h"
#include "ClipFiles.h"
#include "ClipFolder.h"
#include "ClipListModel.h"
#include "ClipTextEdit.h"
#include "TForm1.h"
#include "TextBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPollWait = 2000;
const QString kMarker = u"clipboard before"_s;

} // namespace

// File names are bytes: clips whose names are not valid UTF-8 (written on another system, or
// holding stray bytes), beside clips whose names read alike in UTF-8, in clip folders whose own
// names are not valid UTF-8, are listed, picked, saved and deleted through the window like any
// other, and each reaches its own files only.
class TestByteNames : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clipGoesThroughTheWindow_data();
    void clipGoesThroughTheWindow();
    void typedNameFindsAClipOfEitherEncoding_data();
    void typedNameFindsAClipOfEitherEncoding();
    void createInAFolderNotValidUtf8_data();
    void createInAFolderNotValidUtf8();
    void focusEntryComparesFolderNamesByEncoding_data();
    void focusEntryComparesFolderNamesByEncoding();
    void errorBoxShowsEachPathPartInItsEncoding();
    void lookupKeepsEncodingsApart_data();
    void lookupKeepsEncodingsApart();
    void messagesShowEachPathPartInItsEncoding_data();
    void messagesShowEachPathPartInItsEncoding();

private:
    template <typename T> T* control(const char* name) const
    {
        return m_window->findChild<T*>(QLatin1StringView(name));
    }
    QListView* list() const { return control<QListView>("FileListBox1"); }
    ClipListModel* model() const { return qobject_cast<ClipListModel*>(list()->model()); }
    QLineEdit* indexbox() const { return control<QLineEdit>("indexbox"); }
    ClipTextEdit* titlebox() const { return control<ClipTextEdit>("titlebox"); }
    ClipTextEdit* mainbox() const { return control<ClipTextEdit>("mainbox"); }
    bool editorsEnabled() const { return titlebox()->isEnabled() && mainbox()->isEnabled(); }
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

    // The path of a name in the test's folder, and files in it, all as bytes.
    QByteArray pathOf(const QByteArray& name) const { return m_root + '/' + name; }
    // Set-up steps return false on failure, for the caller's QVERIFY to stop the test at once.
    [[nodiscard]] bool makeFolder(const QByteArray& name) const { return ::mkdir(pathOf(name).constData(), 0755) == 0; }
    [[nodiscard]] bool writeFile(const QByteArray& name, const QByteArray& bytes, mode_t mode = 0644) const
    {
        return ClipFolder::write(pathOf(name), bytes, mode);
    }
    // The file's bytes; a null array when there is none.
    QByteArray readFile(const QByteArray& name) const { return ClipFolder::read(pathOf(name)); }
    bool exists(const QByteArray& name) const { return ::access(pathOf(name).constData(), F_OK) == 0; }
    // The names in a folder, in byte order.
    QList<QByteArray> namesIn(const QByteArray& folder) const { return ClipFolder::namesIn(pathOf(folder)); }

    // Makes and shows a window started in the named folder of the test's own folder.
    void showWindowIn(const QByteArray& folder);
    // The rows of the clip list, as the file names they stand for.
    QList<QByteArray> fileNames() const;
    void key(Qt::Key key) const { QTest::keyClick(m_window->windowHandle(), key); }
    // Types the characters through the window, each going where the focus is. QTest's own
    // typing takes ASCII only.
    void type(const QString& text) const
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, m_window->windowHandle(), Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
    void clickOn(QWidget* widget, QPoint point) const
    {
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(m_window.get(), point));
    }
    void clickOn(const char* name) const { clickOn(control<QWidget>(name), control<QWidget>(name)->rect().center()); }
    // Moves the focus into the clip list and down through it, from the keyboard, to the row.
    void pickWithKeys(int row) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_root;
    QByteArray m_startDirectory;
    std::unique_ptr<TForm1> m_window;
};

void TestByteNames::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // As the program reads its current directory.
    m_root = QFile::encodeName(QDir(m_dir->path()).canonicalPath());
    m_startDirectory = ClipFiles::currentDirectory();
    QGuiApplication::clipboard()->setText(kMarker);
}

void TestByteNames::cleanup()
{
    m_window.reset();
    if (::chdir(m_startDirectory.constData()) != 0)
        qWarning("cannot go back to the start directory");
    // QDir would miss the names that are not valid UTF-8.
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(m_root.toStdString()), error);
    m_dir.reset();
}

void TestByteNames::showWindowIn(const QByteArray& folder)
{
    QVERIFY(::chdir(pathOf(folder).constData()) == 0);
    m_window = std::make_unique<TForm1>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QList<QByteArray> TestByteNames::fileNames() const
{
    QList<QByteArray> names;
    for (int row = 0; row < model()->rowCount(); ++row)
        names << model()->fileName(row);
    return names;
}

void TestByteNames::pickWithKeys(int row) const
{
    clickOn("inputbox");
    QTest::keyClick(m_window->windowHandle(), '*');
    QVERIFY(list()->hasFocus());
    for (int i = 0; i <= row; ++i)
        key(Qt::Key_Down);
    QCOMPARE(list()->selectionModel()->selectedRows().value(0).row(), row);
}

void TestByteNames::clipGoesThroughTheWindow_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("twin");
    QTest::addColumn<QString>("shownPath");
    QTest::addColumn<QString>("shownName");
    const auto row = [](const char* tag, const QByteArray& folder, const QByteArray& name, const QByteArray& twin,
                        const QString& shownPath, const QString& shownName) {
        QTest::newRow(tag) << folder << name << twin << shownPath << shownName;
    };
    row("Latin-1 name", "clips", "caf\xe9", "", u"clips/café.txt"_s, u"CAFÉ"_s);
    row("Latin-1 name in a Latin-1 folder", "d\xe9p", "caf\xe9", "", u"dép/café.txt"_s, u"CAFÉ"_s);
    row("Latin-1 name in a UTF-8 folder", "d\xc3\xa9p", "caf\xe9", "", u"dép/café.txt"_s, u"CAFÉ"_s);
    row("invalid sequence", "d\xe9p", "\xff\xfe", "", u"dép/ÿþ.txt"_s, u"ŸÞ"_s);
    row("UTF-8 and a stray byte", "d\xe9p", "caf\xc3\xa9\xff", "", u"dép/cafÃ©ÿ.txt"_s, u"CAFÃ©Ÿ"_s);
    // Twins read alike but are two clips: the one picked reaches its own files only, also where
    // its title file is missing and its twin's is there.
    row("Latin-1 beside its UTF-8 twin", "d\xc3\xa9p", "caf\xe9", "caf\xc3\xa9", u"dép/café.txt"_s, u"CAFÉ"_s);
    row("UTF-8 beside its Latin-1 twin", "d\xe9p", "caf\xc3\xa9", "caf\xe9", u"dép/café.txt"_s, u"CAFÉ"_s);
    row("Latin-1 beside its UTF-8 twin in capitals", "d\xe9p", "caf\xe9", "CAF\xc3\x89", u"dép/café.txt"_s, u"CAFÉ"_s);
}

void TestByteNames::clipGoesThroughTheWindow()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, twin);
    QFETCH(QString, shownPath);
    QFETCH(QString, shownName);
    const QByteArray clip = folder + '/' + name;
    const QByteArray twinClip = folder + '/' + twin;
    QVERIFY(makeFolder(folder));
    // A Windows-1252 body, saved back in its encoding.
    QVERIFY(writeFile(clip + ".txt", "na\xefve"));
    if (!twin.isEmpty()) {
        QVERIFY(writeFile(twinClip + ".txt", "twin body"));
        QVERIFY(writeFile(twinClip + ".hed", "twin title"));
    }
    showWindowIn(folder);

    const QList<QByteArray> names = fileNames();
    QCOMPARE(names.size(), twin.isEmpty() ? 1 : 2);
    const int row = int(names.indexOf(name + ".txt"));
    QVERIFY(row >= 0);
    if (!twin.isEmpty())
        QVERIFY(names.contains(twin + ".txt"));
    QCOMPARE(model()->index(row, 0).data().toString(), shownPath.mid(shownPath.indexOf(u'/') + 1));

    // Picked from the keyboard: opened, the missing title file made beside it, the body on the
    // clipboard.
    pickWithKeys(row);
    QCOMPARE(clipboard(), u"naïve"_s);
    QCOMPARE(indexbox()->text(), shownName);
    QCOMPARE(titlebox()->clipText(), QString());
    QCOMPARE(readFile(clip + ".hed"), QByteArray(""));

    // Autosave of the body and the title, into this clip's files.
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    clickOn(mainbox()->viewport(), mainbox()->viewport()->rect().bottomRight() - QPoint(2, 2));
    QTest::keyClick(m_window->windowHandle(), '!');
    QCOMPARE(readFile(clip + ".txt"), QByteArray("na\xefve!"));
    clickOn(titlebox()->viewport(), titlebox()->viewport()->rect().center());
    QTest::keyClick(m_window->windowHandle(), 't');
    QCOMPARE(readFile(clip + ".hed"), QByteArray("t"));

    // Delete asks with the path shown, and removes this clip's two files.
    pickWithKeys(row);
    BoxAnswerer box;
    clickOn("Button2");
    QVERIFY(box.seen);
    QCOMPARE(box.text, u"Delete file "_s + QFile::decodeName(m_root) + u'/' + shownPath + u" ?"_s);
    const QList<QByteArray> left
        = twin.isEmpty() ? QList<QByteArray>() : QList<QByteArray> { twin + ".hed", twin + ".txt" };
    QCOMPARE(namesIn(folder), left);
    QCOMPARE(fileNames(), twin.isEmpty() ? QList<QByteArray>() : QList<QByteArray> { twin + ".txt" });
    if (!twin.isEmpty()) {
        QCOMPARE(readFile(twinClip + ".txt"), QByteArray("twin body"));
        QCOMPARE(readFile(twinClip + ".hed"), QByteArray("twin title"));
    }
}

void TestByteNames::typedNameFindsAClipOfEitherEncoding_data()
{
    QTest::addColumn<QByteArrayList>("clips");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QByteArray>("titleFile");

    // A clip written by a Windows-1252 system is found by the name it reads as.
    QTest::newRow("Latin-1 only") << QByteArrayList { "caf\xe9" } << u"body café"_s << QByteArray("caf\xe9.hed");
    QTest::newRow("Latin-1 in capitals") << QByteArrayList { "CAF\xc9" } << u"body CAFÉ"_s << QByteArray("caf\xe9.hed");
    QTest::newRow("UTF-8 only") << QByteArrayList { "caf\xc3\xa9" } << u"body café"_s << QByteArray("caf\xc3\xa9.hed");
    // The UTF-8 name, being what was typed, wins.
    QTest::newRow("both") << QByteArrayList { "caf\xe9", "caf\xc3\xa9" } << u"body café"_s
                          << QByteArray("caf\xc3\xa9.hed");
    QTest::newRow("neither") << QByteArrayList { "cafe" } << kMarker << QByteArray();
}

void TestByteNames::typedNameFindsAClipOfEitherEncoding()
{
    QFETCH(QByteArrayList, clips);
    QFETCH(QString, opened);
    QFETCH(QByteArray, titleFile);
    QVERIFY(makeFolder("d\xe9p"));
    QList<QByteArray> expected;
    for (const QByteArray& name : clips) {
        QVERIFY(writeFile("d\xe9p/" + name + ".txt", "body " + name));
        expected << name + ".txt";
    }
    showWindowIn("d\xe9p");
    QGuiApplication::clipboard()->setText(kMarker);

    type(u"CAFÉ"_s);
    QCOMPARE(control<QLineEdit>("inputbox")->text(), u"café"_s);
    key(Qt::Key_Return);
    QCOMPARE(clipboard(), opened);
    // Opening made the title file beside the body file it opened, and nothing else.
    if (!titleFile.isEmpty())
        expected << titleFile;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(namesIn("d\xe9p"), expected);
}

void TestByteNames::createInAFolderNotValidUtf8_data()
{
    QTest::addColumn<QByteArrayList>("files");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QList<QByteArray>>("listed");

    QTest::newRow("new name") << QByteArrayList { "caf\xe9" } << u"Memo"_s << QString()
                              << QList<QByteArray> { "caf\xe9.txt", "Memo.txt" };
    QTest::newRow("new name with a letter beyond ASCII")
        << QByteArrayList {} << u"Thé"_s << QString() << QList<QByteArray> { "Th\xc3\xa9.txt" };
    // The name taken by a clip written in Windows-1252.
    QTest::newRow("name of a Latin-1 clip") << QByteArrayList { "caf\xe9" } << u"CAFÉ"_s << u"File already exists!"_s
                                            << QList<QByteArray> { "caf\xe9.txt" };
}

void TestByteNames::createInAFolderNotValidUtf8()
{
    QFETCH(QByteArrayList, files);
    QFETCH(QString, typed);
    QFETCH(QString, notice);
    QFETCH(QList<QByteArray>, listed);
    QVERIFY(makeFolder("d\xe9p"));
    for (const QByteArray& name : files)
        QVERIFY(writeFile("d\xe9p/" + name + ".txt", ""));
    showWindowIn("d\xe9p");

    clickOn("Button1");
    auto* newfile = control<QLineEdit>("newfile");
    QVERIFY(newfile->hasFocus());
    type(typed);
    QCOMPARE(newfile->text(), typed);
    BoxAnswerer box;
    key(Qt::Key_Return);
    QCOMPARE(box.seen ? box.text : QString(), notice);
    QCOMPARE(fileNames(), listed);
    for (const QByteArray& name : listed)
        QVERIFY2(exists("d\xe9p/" + name), name.constData());
}

void TestByteNames::focusEntryComparesFolderNamesByEncoding_data()
{
    QTest::addColumn<QByteArray>("listFolder");
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QList<QByteArray>>("listed");

    // Folders whose names read alike are two folders: the list follows the current one.
    QTest::newRow("UTF-8 twin of a Latin-1 folder")
        << QByteArray("d\xe9p") << QByteArray("d\xc3\xa9p") << QList<QByteArray> { "other.txt" };
    QTest::newRow("Latin-1 twin of a UTF-8 folder")
        << QByteArray("d\xc3\xa9p") << QByteArray("d\xe9p") << QList<QByteArray> { "other.txt" };
    // Letter case aside, the same name: the list stays as it was.
    QTest::newRow("Latin-1 folder in capitals")
        << QByteArray("d\xe9p") << QByteArray("D\xc9P") << QList<QByteArray> { "caf\xe9.txt" };
}

void TestByteNames::focusEntryComparesFolderNamesByEncoding()
{
    QFETCH(QByteArray, listFolder);
    QFETCH(QByteArray, current);
    QFETCH(QList<QByteArray>, listed);
    QVERIFY(makeFolder(listFolder));
    QVERIFY(makeFolder(current));
    QVERIFY(writeFile(listFolder + "/caf\xe9.txt", ""));
    QVERIFY(writeFile(current + "/other.txt", ""));
    showWindowIn(listFolder);
    QCOMPARE(fileNames(), QList<QByteArray> { "caf\xe9.txt" });

    // Something else changed the current directory; the focus moving into the list reads it.
    QVERIFY(::chdir(pathOf(current).constData()) == 0);
    QVERIFY(!list()->hasFocus());
    list()->setFocus(Qt::TabFocusReason);
    QCOMPARE(fileNames(), listed);
}

void TestByteNames::errorBoxShowsEachPathPartInItsEncoding()
{
    // A Latin-1 clip in a UTF-8 folder, read-only: every key released in its body shows the
    // path it could not write, each part readable.
    QVERIFY(makeFolder("d\xc3\xa9p"));
    QVERIFY(writeFile("d\xc3\xa9p/caf\xe9.txt", "body", 0444));
    showWindowIn("d\xc3\xa9p");
    pickWithKeys(0);
    QCOMPARE(clipboard(), u"body"_s);
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    clickOn(mainbox()->viewport(), mainbox()->viewport()->rect().center());
    BoxAnswerer box;
    QTest::keyClick(m_window->windowHandle(), 'x');
    QTRY_VERIFY(box.seen);
    QCOMPARE(box.text, u"Cannot create file "_s + QFile::decodeName(m_root) + u"/dép/café.txt."_s);
    QCOMPARE(readFile("d\xc3\xa9p/caf\xe9.txt"), QByteArray("body"));
}

void TestByteNames::lookupKeepsEncodingsApart_data()
{
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QByteArray>("asked");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("resolved");

    // Letter case aside, a name matches names of its own encoding only.
    QTest::newRow("Latin-1 asked, UTF-8 on disk")
        << QByteArray("caf\xc3\xa9.hed") << QByteArray("caf\xe9.hed") << false << QByteArray("caf\xe9.hed");
    QTest::newRow("UTF-8 asked, Latin-1 on disk")
        << QByteArray("CAF\xc9.hed") << QByteArray("caf\xc3\xa9.hed") << false << QByteArray("caf\xc3\xa9.hed");
    QTest::newRow("Latin-1 in capitals") << QByteArray("CAF\xc9.HED") << QByteArray("caf\xe9.hed") << true
                                         << QByteArray("CAF\xc9.HED");
    QTest::newRow("UTF-8 in capitals") << QByteArray("CAF\xc3\x89.HED") << QByteArray("caf\xc3\xa9.hed") << true
                                       << QByteArray("CAF\xc3\x89.HED");
    QTest::newRow("stray byte in capitals")
        << QByteArray("\xff\xfe.HED") << QByteArray("\xff\xfe.hed") << true << QByteArray("\xff\xfe.HED");
    // Patterns match what names read as, in either encoding.
    QTest::newRow("question mark for a Latin-1 letter")
        << QByteArray("caf\xe9.hed") << QByteArray("CAF?.hed") << true << QByteArray("CAF?.hed");
    QTest::newRow("star over a Latin-1 letter")
        << QByteArray("caf\xe9.hed") << QByteArray("*.hed") << true << QByteArray("*.hed");
}

void TestByteNames::lookupKeepsEncodingsApart()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, asked);
    QFETCH(bool, exists);
    QFETCH(QByteArray, resolved);
    QVERIFY(makeFolder("d\xe9p"));
    QVERIFY(writeFile("d\xe9p/" + onDisk, ""));
    QCOMPARE(ClipFiles::exists(pathOf("d\xe9p/" + asked)), exists);
    QCOMPARE(ClipFiles::resolve(pathOf("d\xe9p/" + asked)), pathOf("d\xe9p/" + resolved));
}

void TestByteNames::messagesShowEachPathPartInItsEncoding_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("shown");

    QTest::newRow("UTF-8") << QByteArray("/d\xc3\xa9p/caf\xc3\xa9.txt") << u"/dép/café.txt"_s;
    QTest::newRow("Latin-1") << QByteArray("/d\xe9p/caf\xe9.txt") << u"/dép/café.txt"_s;
    QTest::newRow("Latin-1 name in a UTF-8 folder") << QByteArray("/d\xc3\xa9p/caf\xe9.txt") << u"/dép/café.txt"_s;
    QTest::newRow("UTF-8 name in a Latin-1 folder") << QByteArray("/d\xe9p/caf\xc3\xa9.txt") << u"/dép/café.txt"_s;
    QTest::newRow("invalid sequence") << QByteArray("/d\xc3\xa9p/\xff\xfe.hed") << u"/dép/ÿþ.hed"_s;
    QTest::newRow("root") << QByteArray("//caf\xe9.txt") << u"//café.txt"_s;
}

void TestByteNames::messagesShowEachPathPartInItsEncoding()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, shown);
    QCOMPARE(TextBytes::displayName(path), shown);
    QCOMPARE(ClipError::cannotOpen(path).message(), u"Cannot open file "_s + shown);
    QCOMPARE(ClipError::cannotCreate(path).message(), u"Cannot create file "_s + shown);
}

QTEST_MAIN(TestByteNames)
#include "tst_bytenames.moc"
