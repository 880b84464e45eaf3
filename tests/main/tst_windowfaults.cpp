#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ClipTextEdit.h"
#include "FaultInjection.h"
#include "TForm1.h"
#include "WindowTestCase.h"

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <utility>

using FaultInjection::Entry;

namespace {

const QString kMarker = QStringLiteral("clipboard before");

// Every message box that comes up, in order, each answered with its first button ("OK", or
// "&Yes" for the delete confirmation).
class BoxLog
{
public:
    explicit BoxLog(QObject* owner)
        : m_timer(owner)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->buttons().isEmpty())
                return;
            m_seen.append(SeenBox::of(box));
            box->buttons().constFirst()->click();
        });
        m_timer.start(10);
    }

    // The texts of the boxes shown since the last call.
    QStringList take()
    {
        QStringList texts;
        for (const SeenBox& box : std::as_const(m_seen))
            texts << box.text;
        m_seen.clear();
        return texts;
    }
    // The boxes shown since the last call, with caption, icon and buttons.
    QList<SeenBox> takeBoxes() { return std::exchange(m_seen, {}); }

private:
    QTimer m_timer;
    QList<SeenBox> m_seen;
};

ino_t inodeOf(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? st.st_ino : 0;
}

mode_t permissionsOf(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Every entry of the folder, files or not, in byte order.
QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Many short lines: one line of that length is slow for the editor to lay out.
QString longText()
{
    return (QString(99, u'n') + u'\n').repeated(1000);
}

// A small disk or a file-size limit, for a save that does not fit.
enum class Room { SmallDisk, FullDisk, NoFreeInode, FileSizeLimit };

// The fault each case of the unprivileged user makes.
enum class AsNobody { ReadOnlyFolder, ReadOnlyFolderFileSizeLimit, BodyUnreadable, TitleUnreadable };

} // namespace

// Faults made for real under the main window, each met the way a user meets it: opening by
// Enter or by a pick in the list, a key released in an editor, a refresh, Create and Delete.
// What the user sees is the error box (or the notice, or nothing) the window shows; what stays
// is each file as it was. A FIFO must never block: the whole test runs under a watchdog.
class TestWindowFaults : public WindowTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void entryNamedLikeAClip_data();
    void entryNamedLikeAClip();
    void openChangedBetweenTestAndRead_data();
    void openChangedBetweenTestAndRead();
    void saveIntoChangedFile_data();
    void saveIntoChangedFile();
    void saveThatDoesNotFit_data();
    void saveThatDoesNotFit();
    void asNobody_data();
    void asNobody();
    void clipFolderRemoved();

private:
    QByteArray pathOf(const char* name) const { return m_f->nativePath(QLatin1StringView(name)); }
    QByteArray read(const char* name) const { return m_f->readFile(QLatin1StringView(name)); }
    void write(const char* name, const QByteArray& bytes) const { m_f->writeFile(QLatin1StringView(name), bytes); }

    QStringList entries() const;
    // Through the window, as the mouse would.
    void clickEntry(int row) const;
    // Types into the command box: enter() a clip name and Enter.
    void typeCommand(const QString& keys) const;
    void enter(const QString& name) const { typeCommand(name + u'\r'); }
    // Creates a clip through Create and the new-name box.
    void create(const QString& name) const;
    // Shows the window and opens clip a (title "title a", body "body a"), editors enabled; the
    // clipboard then holds a marker.
    void showWithClipA();
    // Runs the current test row again as the user nobody, when we are root; true when this
    // process is to run it itself.
    bool runItselfOrAsNobody();

    std::unique_ptr<BoxLog> m_boxes;
    std::unique_ptr<FaultInjection::ScratchDisk> m_disk;
    std::unique_ptr<FaultInjection::FileSizeLimit> m_limit;
    std::unique_ptr<QTemporaryDir> m_copyForNobody;
};

void TestWindowFaults::initTestCase()
{
    // Where permitted, a disk left mounted by a crash goes with the process.
    FaultInjection::enterPrivateMounts();
}

void TestWindowFaults::init()
{
    // A call blocked on a FIFO ends the run here rather than at the suite's time-out.
    ::alarm(120);
    WindowTestCase::init();
    m_boxes = std::make_unique<BoxLog>(m_f->window());
    QGuiApplication::clipboard()->setText(kMarker);
}

void TestWindowFaults::cleanup()
{
    m_limit.reset();
    m_boxes.reset();
    // The disk is let go first; it goes once the window and the current directory have left it.
    m_disk.reset();
    ::chmod(QFile::encodeName(m_f->path(QString())).constData(), 0755);
    WindowTestCase::cleanup();
    ::alarm(0);
}

QStringList TestWindowFaults::entries() const
{
    QStringList names;
    for (int row = 0; row < list()->model()->rowCount(); ++row)
        names << list()->model()->index(row, 0).data().toString();
    return names;
}

void TestWindowFaults::clickEntry(int row) const
{
    clickOn(list()->viewport(), list()->visualRect(list()->model()->index(row, 0)).center());
}

void TestWindowFaults::typeCommand(const QString& keys) const
{
    QVERIFY(m_f->reactivate());
    clickOn(inputbox(), inputbox()->rect().center());
    m_f->type(keys);
}

void TestWindowFaults::create(const QString& name) const
{
    QVERIFY(m_f->reactivate());
    auto* createButton = m_f->control<QPushButton>("Button1");
    clickOn(createButton, createButton->rect().center());
    QTest::keyClicks(m_f->control<QLineEdit>("newfile"), name);
    QTest::keyClick(m_f->handle(), Qt::Key_Return);
}

void TestWindowFaults::showWithClipA()
{
    QVERIFY(showWithClip(QStringLiteral("a"), "title a", "body a"));
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(clipboard(), QStringLiteral("body a"));
    QGuiApplication::clipboard()->setText(kMarker);
}

bool TestWindowFaults::runItselfOrAsNobody()
{
    uid_t uid;
    gid_t gid;
    if (::geteuid() != 0)
        return true;
    if (!FaultInjection::nobodyIds(uid, gid)) {
        QTest::qSkip("no user nobody to act as", __FILE__, __LINE__);
        return false;
    }
    // A copy that nobody may run, wherever the build lies.
    if (!m_copyForNobody) {
        m_copyForNobody = std::make_unique<QTemporaryDir>();
        const QString copy = m_copyForNobody->filePath(QStringLiteral("tst_windowfaults"));
        if (!QFile::copy(QStringLiteral("/proc/self/exe"), copy)
            || ::chmod(QFile::encodeName(m_copyForNobody->path()).constData(), 0755) != 0
            || ::chmod(QFile::encodeName(copy).constData(), 0755) != 0) {
            QTest::qFail("cannot copy the test for nobody", __FILE__, __LINE__);
            return false;
        }
    }
    QProcess child;
    child.setProgram(m_copyForNobody->filePath(QStringLiteral("tst_windowfaults")));
    child.setArguments(
        { QString::fromLatin1(QTest::currentTestFunction()) + u':' + QString::fromLatin1(QTest::currentDataTag()) });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A home and a runtime folder of its own, which the copy's folder takes with it.
    const QString runtime = m_copyForNobody->filePath(QStringLiteral("runtime"));
    if (!QDir().mkpath(runtime) || ::chown(QFile::encodeName(runtime).constData(), uid, gid) != 0
        || ::chmod(QFile::encodeName(runtime).constData(), 0700) != 0) {
        QTest::qFail("cannot make a runtime folder for nobody", __FILE__, __LINE__);
        return false;
    }
    environment.insert(QStringLiteral("HOME"), runtime);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // A sanitizer's suppressions, copied beside the test: nobody may not read the source tree.
    for (const QString& variable :
         { QStringLiteral("ASAN_OPTIONS"), QStringLiteral("LSAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS") }) {
        QStringList options = environment.value(variable).split(u':');
        for (QString& option : options) {
            if (!option.startsWith(QLatin1String("suppressions=")))
                continue;
            const QString copy = m_copyForNobody->filePath(variable + QStringLiteral(".supp"));
            QFile::remove(copy);
            if (QFile::copy(option.mid(13), copy))
                ::chmod(QFile::encodeName(copy).constData(), 0644);
            option = QStringLiteral("suppressions=") + copy;
        }
        if (environment.contains(variable))
            environment.insert(variable, options.join(u':'));
    }
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(m_copyForNobody->path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([uid, gid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(125);
    });
    child.start();
    const bool finished = child.waitForFinished(100'000);
    const QByteArray output = child.readAll();
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        qWarning("%s", output.constData());
        QTest::qFail("the case failed as nobody", __FILE__, __LINE__);
    } else if (output.contains("SKIP   :")) {
        QTest::qSkip(output.constData(), __FILE__, __LINE__);
    } else if (!output.contains(QByteArray("PASS   : TestWindowFaults::") + QTest::currentTestFunction() + '('
                                + QTest::currentDataTag() + ')')) {
        qWarning("%s", output.constData());
        QTest::qFail("the case did not run as nobody", __FILE__, __LINE__);
    }
    return false;
}

void TestWindowFaults::entryNamedLikeAClip_data()
{
    FaultInjection::addEntryRows();
}

void TestWindowFaults::entryNamedLikeAClip()
{
    QFETCH(Entry, entry);
    QFETCH(bool, asTitle);
    write(asTitle ? "faq.txt" : "faq.hed", "faq's");
    const char* entryName = asTitle ? "faq.hed" : "faq.txt";
    QVERIFY(FaultInjection::makeEntry(entry, pathOf(entryName)));
    showWithClipA();

    // The first refresh lists a body only when it is a file.
    QCOMPARE(entries(), (asTitle ? QStringList { "a.txt", "faq.txt" } : QStringList { "a.txt" }));

    // Enter: no clip, or a title that cannot be made.
    enter(QStringLiteral("faq"));
    const QList<SeenBox> boxes = m_boxes->takeBoxes();
    if (asTitle) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(
            boxes[0].summary(),
            SeenBox::errorBox(QStringLiteral("Cannot create file %1.").arg(m_f->path(QLatin1StringView(entryName)))));
        QVERIFY(titlebox()->clipText().isEmpty());
    } else {
        QVERIFY(boxes.isEmpty());
        QCOMPARE(titlebox()->clipText(), QStringLiteral("title a"));
    }
    QCOMPARE(indexbox()->text(), QStringLiteral("A"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("body a"));
    QCOMPARE(clipboard(), kMarker);

    // A pick of the entry does as Enter does.
    if (asTitle) {
        clickEntry(1);
        QCOMPARE(m_boxes->take(),
                 QStringList { QStringLiteral("Cannot create file %1.").arg(m_f->path(QLatin1StringView(entryName))) });
        QCOMPARE(clipboard(), kMarker);
    }

    // Create: the name is taken, by a clip or by what is no file.
    create(QStringLiteral("faq"));
    QCOMPARE(m_boxes->take(),
             QStringList { asTitle ? QStringLiteral("File already exists!") : QStringLiteral("Error creating file!") });
    QCOMPARE(entries(), (asTitle ? QStringList { "a.txt", "faq.txt" } : QStringList { "a.txt" }));

    QVERIFY(FaultInjection::isEntry(entry, pathOf(entryName)));
    QCOMPARE(read(asTitle ? "faq.txt" : "faq.hed"), QByteArray("faq's"));
    QCOMPARE(read("a.txt"), QByteArray("body a"));
    QCOMPARE(read("a.hed"), QByteArray("title a"));
    QCOMPARE(folderEntries(m_f->path(QString())), (QStringList { "a.hed", "a.txt", "faq.hed", "faq.txt" }));

    // Delete takes the title's name with the clip, unless a directory holds it.
    if (asTitle) {
        QVERIFY(m_f->reactivate());
        clickEntry(1);
        m_boxes->take();
        auto* deleteButton = m_f->control<QPushButton>("Button2");
        clickOn(deleteButton, deleteButton->rect().center());
        QCOMPARE(m_boxes->take(),
                 QStringList { QStringLiteral("Delete file %1 ?").arg(m_f->path(QStringLiteral("faq.txt"))) });
        QCOMPARE(entries(), QStringList { "a.txt" });
        QCOMPARE(FaultInjection::isEntry(entry, pathOf(entryName)), entry == Entry::Directory);
    }
}

void TestWindowFaults::openChangedBetweenTestAndRead_data()
{
    QTest::addColumn<bool>("title");
    QTest::addColumn<int>("change"); // -1 removed, otherwise the Entry put in the file's place
    QTest::addColumn<bool>("byPick");
    for (const bool title : { true, false }) {
        const char* which = title ? "title" : "body";
        for (const bool byPick : { false, true })
            QTest::addRow("%s removed, %s", which, byPick ? "pick" : "Enter") << title << -1 << byPick;
        for (const Entry entry : { Entry::Directory, Entry::Fifo, Entry::Socket, Entry::SymlinkLoop })
            QTest::addRow("%s replaced by a %s", which, FaultInjection::entryName(entry))
                << title << int(entry) << false;
    }
}

void TestWindowFaults::openChangedBetweenTestAndRead()
{
    QFETCH(bool, title);
    QFETCH(int, change);
    QFETCH(bool, byPick);
    write("faq.txt", "new body");
    write("faq.hed", "new title");
    showWithClipA();
    const char* name = title ? "faq.hed" : "faq.txt";

    // Another program changes the file once the clip was found and just before it is read: the
    // name display shows the new name before the title is read, the title line the new title
    // before the body is read.
    bool changed = false;
    const auto makeChange = [&] {
        if (changed)
            return;
        changed = true;
        QCOMPARE(::remove(pathOf(name).constData()), 0);
        if (change >= 0)
            QVERIFY(FaultInjection::makeEntry(Entry(change), pathOf(name)));
    };
    const QMetaObject::Connection watch = title ? connect(indexbox(), &QLineEdit::textChanged, this,
                                                          [&](const QString& text) {
                                                              if (text == QLatin1String("FAQ"))
                                                                  makeChange();
                                                          })
                                                : connect(titlebox(), &QPlainTextEdit::textChanged, this, [&] {
                                                      if (titlebox()->clipText() == QLatin1String("new title"))
                                                          makeChange();
                                                  });
    if (byPick) {
        QCOMPARE(entries(), (QStringList { "a.txt", "faq.txt" }));
        clickEntry(1);
    } else {
        enter(QStringLiteral("faq"));
    }
    disconnect(watch);
    QVERIFY(changed);

    const QList<SeenBox> boxes = m_boxes->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].summary(),
             SeenBox::errorBox(QStringLiteral("Cannot open file %1.").arg(m_f->path(QLatin1StringView(name)))));
    QVERIFY(inputbox()->text().isEmpty());
    QCOMPARE(indexbox()->text(), QStringLiteral("FAQ"));
    QCOMPARE(titlebox()->clipText(), title ? QStringLiteral("title a") : QStringLiteral("new title"));
    QCOMPARE(mainbox()->clipText(), QStringLiteral("body a"));
    QCOMPARE(clipboard(), kMarker);

    // Keys released in the editors write nothing that was not read from faq's files, neither
    // there nor back into a's.
    if (title) {
        QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
        QVERIFY(m_f->reactivate());
        for (ClipTextEdit* editor : { titlebox(), mainbox() }) {
            clickToEnd(editor);
            m_f->type(QStringLiteral("x"));
        }
        QVERIFY(m_boxes->take().isEmpty());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);
    }
    if (change >= 0)
        QVERIFY(FaultInjection::isEntry(Entry(change), pathOf(name)));
    else
        QCOMPARE(read(name), QByteArray());
    QCOMPARE(read(title ? "faq.txt" : "faq.hed"), title ? QByteArray("new body") : QByteArray("new title"));
    QCOMPARE(read("a.txt"), QByteArray("body a"));
    QCOMPARE(read("a.hed"), QByteArray("title a"));
}

void TestWindowFaults::saveIntoChangedFile_data()
{
    QTest::addColumn<bool>("title");
    QTest::addColumn<int>("change"); // -1 removed, -2 made read-only, otherwise an Entry
    for (const bool title : { true, false }) {
        const char* which = title ? "title" : "body";
        QTest::addRow("%s removed", which) << title << -1;
        QTest::addRow("%s made read-only", which) << title << -2;
        for (const Entry entry : { Entry::Directory, Entry::Fifo, Entry::Socket, Entry::SymlinkLoop })
            QTest::addRow("%s replaced by a %s", which, FaultInjection::entryName(entry)) << title << int(entry);
    }
}

void TestWindowFaults::saveIntoChangedFile()
{
    QFETCH(bool, title);
    QFETCH(int, change);
    showWithClipA();
    ClipTextEdit* editor = title ? titlebox() : mainbox();
    const char* name = title ? "a.hed" : "a.txt";
    const QByteArray old = read(name);
    clickToEnd(editor);

    // Changed by another program after the editor took the focus, and before the poll could
    // notice: the key's release comes first.
    if (change == -2) {
        QCOMPARE(::chmod(pathOf(name).constData(), 0444), 0);
    } else {
        QCOMPARE(::remove(pathOf(name).constData()), 0);
        if (change >= 0)
            QVERIFY(FaultInjection::makeEntry(Entry(change), pathOf(name)));
    }
    m_f->type(QStringLiteral("x"));

    if (change == -2) {
        const QList<SeenBox> boxes = m_boxes->takeBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].summary(),
                 SeenBox::errorBox(QStringLiteral("Cannot create file %1.").arg(m_f->path(QLatin1StringView(name)))));
        QCOMPARE(read(name), old);
        QCOMPARE(permissionsOf(pathOf(name)), mode_t(0444));
    } else {
        // No file there: nothing to save, nothing to report, and nothing made in its place.
        QVERIFY(m_boxes->take().isEmpty());
        if (change >= 0)
            QVERIFY(FaultInjection::isEntry(Entry(change), pathOf(name)));
        else
            QVERIFY(!QFileInfo::exists(m_f->path(QLatin1StringView(name))));
    }
    QCOMPARE(editor->clipText(), QString::fromUtf8(old) + u'x');
    QCOMPARE(read(title ? "a.txt" : "a.hed"), title ? QByteArray("body a") : QByteArray("title a"));
    QCOMPARE(
        folderEntries(m_f->path(QString())),
        (change == -1 ? QStringList { QLatin1String(title ? "a.txt" : "a.hed") } : QStringList { "a.hed", "a.txt" }));
}

void TestWindowFaults::saveThatDoesNotFit_data()
{
    QTest::addColumn<Room>("room");
    QTest::addColumn<QString>("openBox"); // Enter on a clip without title: its box, if any
    QTest::addColumn<QString>("createBox");

    QTest::newRow("disk smaller than the text") << Room::SmallDisk << ""
                                                << "";
    // Opening and Create make empty files, which take no room.
    QTest::newRow("disk full to the last byte") << Room::FullDisk << ""
                                                << "";
    QTest::newRow("no free inode") << Room::NoFreeInode << "Cannot create file %1/new.hed."
                                   << "Error creating file!";
    QTest::newRow("file-size limit") << Room::FileSizeLimit << ""
                                     << "";
}

void TestWindowFaults::saveThatDoesNotFit()
{
    QFETCH(Room, room);
    QFETCH(QString, openBox);
    QFETCH(QString, createBox);

    // The small disk is mounted on the clip folder itself, before the window first reads it.
    const QByteArray folder = m_f->nativePath(QString());
    if (room != Room::FileSizeLimit) {
        // Four inodes: the folder and the three files below.
        m_disk = std::make_unique<FaultInjection::ScratchDisk>(
            folder, room == Room::NoFreeInode ? "size=64k,nr_inodes=4" : "size=64k");
        if (!m_disk->mounted())
            QSKIP("mounting a small disk is not permitted here");
        QCOMPARE(::chdir(folder.constData()), 0);
    }
    const QByteArray old = QByteArray("old text ").repeated(400);
    write("faq.txt", old);
    write("faq.hed", "T");
    write("new.txt", QByteArray());
    QVERIFY(m_f->show());
    enter(QStringLiteral("faq"));
    QCOMPARE(mainbox()->clipText(), QString::fromUtf8(old));
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    if (room == Room::FullDisk)
        QVERIFY(FaultInjection::fillDisk(pathOf("z-filler")));
    if (room == Room::FileSizeLimit) {
        m_limit = std::make_unique<FaultInjection::FileSizeLimit>(4096);
        QVERIFY(m_limit->set());
    }
    const QStringList before = folderEntries(m_f->path(QString()));
    const ino_t inode = inodeOf(pathOf("faq.txt"));

    // A long text put in without a key, as through the context menu: the next key saves it.
    mainbox()->setPlainText(longText());
    clickToEnd(mainbox());
    QTest::keyClick(m_f->handle(), Qt::Key_End);
    const QList<SeenBox> boxes = m_boxes->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].summary(), SeenBox::errorBox(QStringLiteral("Stream write error.")));
    // The old text whole, in the same file, and nothing left beside it.
    QCOMPARE(read("faq.txt"), old);
    QCOMPARE(inodeOf(pathOf("faq.txt")), inode);
    QCOMPARE(folderEntries(m_f->path(QString())), before);

    enter(QStringLiteral("new"));
    QCOMPARE(m_boxes->take(), openBox.isEmpty() ? QStringList() : QStringList(openBox.arg(m_f->path(QString()))));
    QCOMPARE(indexbox()->text(), openBox.isEmpty() ? QStringLiteral("NEW") : QStringLiteral("FAQ"));
    create(QStringLiteral("other"));
    QCOMPARE(m_boxes->take(), createBox.isEmpty() ? QStringList() : QStringList(createBox));
    QCOMPARE(entries().contains(QStringLiteral("other.txt")), createBox.isEmpty());
    QCOMPARE(read("faq.txt"), old);
}

void TestWindowFaults::asNobody_data()
{
    QTest::addColumn<AsNobody>("fault");
    QTest::newRow("read-only folder: saved in place") << AsNobody::ReadOnlyFolder;
    QTest::newRow("read-only folder, file-size limit: old text whole") << AsNobody::ReadOnlyFolderFileSizeLimit;
    QTest::newRow("body without read permission") << AsNobody::BodyUnreadable;
    QTest::newRow("title without read permission") << AsNobody::TitleUnreadable;
}

void TestWindowFaults::asNobody()
{
    QFETCH(AsNobody, fault);
    // Permissions bind root only where the program makes them (no write bit at all).
    if (!runItselfOrAsNobody())
        return;

    const QByteArray old = QByteArray("old text ").repeated(400);
    write("faq.txt", old);
    write("faq.hed", "T");
    if (fault == AsNobody::BodyUnreadable)
        QCOMPARE(::chmod(pathOf("faq.txt").constData(), 0200), 0);
    if (fault == AsNobody::TitleUnreadable)
        QCOMPARE(::chmod(pathOf("faq.hed").constData(), 0200), 0);
    showWithClipA();

    if (fault == AsNobody::BodyUnreadable || fault == AsNobody::TitleUnreadable) {
        const bool title = fault == AsNobody::TitleUnreadable;
        const QString message = QStringLiteral("Cannot open file %1.")
                                    .arg(m_f->path(title ? QStringLiteral("faq.hed") : QStringLiteral("faq.txt")));
        enter(QStringLiteral("faq"));
        const QList<SeenBox> boxes = m_boxes->takeBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].summary(), SeenBox::errorBox(message));
        QCOMPARE(indexbox()->text(), QStringLiteral("FAQ"));
        QCOMPARE(titlebox()->clipText(), title ? QStringLiteral("title a") : QStringLiteral("T"));
        QCOMPARE(mainbox()->clipText(), QStringLiteral("body a"));
        QCOMPARE(clipboard(), kMarker);
        // A pick does as Enter does.
        QVERIFY(m_f->reactivate());
        clickEntry(1);
        QCOMPARE(m_boxes->take(), QStringList { message });
        QCOMPARE(clipboard(), kMarker);
        QCOMPARE(::chmod(pathOf(title ? "faq.hed" : "faq.txt").constData(), 0644), 0);
        QCOMPARE(read("faq.txt"), old);
        QCOMPARE(read("faq.hed"), QByteArray("T"));
        return;
    }

    // Nobody may add a file to the folder, but may write the clip's own files.
    QCOMPARE(::chmod(m_f->nativePath(QString()).constData(), 0555), 0);
    enter(QStringLiteral("faq"));
    QVERIFY(m_boxes->take().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(editorsEnabled(), kPollWait);
    const ino_t titleInode = inodeOf(pathOf("faq.hed"));
    const ino_t bodyInode = inodeOf(pathOf("faq.txt"));
    if (fault == AsNobody::ReadOnlyFolderFileSizeLimit) {
        m_limit = std::make_unique<FaultInjection::FileSizeLimit>(4096);
        QVERIFY(m_limit->set());
        mainbox()->setPlainText(longText());
        clickToEnd(mainbox());
        QTest::keyClick(m_f->handle(), Qt::Key_End);
        QCOMPARE(m_boxes->take(), QStringList { QStringLiteral("Stream write error.") });
        QCOMPARE(read("faq.txt"), old);
        QCOMPARE(inodeOf(pathOf("faq.txt")), bodyInode);
        return;
    }

    QVERIFY(m_f->reactivate());
    clickToEnd(titlebox());
    m_f->type(QStringLiteral("x"));
    clickToEnd(mainbox());
    QTest::keyClick(m_f->handle(), Qt::Key_End, Qt::ControlModifier);
    m_f->type(QStringLiteral("y"));
    QVERIFY(m_boxes->take().isEmpty());
    QCOMPARE(read("faq.hed"), QByteArray("Tx"));
    QCOMPARE(read("faq.txt"), old + 'y');
    QCOMPARE(inodeOf(pathOf("faq.hed")), titleInode);
    QCOMPARE(inodeOf(pathOf("faq.txt")), bodyInode);

    // Create cannot add a file; Delete cannot remove one, and says nothing of it.
    create(QStringLiteral("other"));
    QCOMPARE(m_boxes->take(), QStringList { QStringLiteral("Error creating file!") });
    QVERIFY(m_f->reactivate());
    clickEntry(1);
    auto* deleteButton = m_f->control<QPushButton>("Button2");
    clickOn(deleteButton, deleteButton->rect().center());
    QCOMPARE(m_boxes->take(),
             QStringList { QStringLiteral("Delete file %1 ?").arg(m_f->path(QStringLiteral("faq.txt"))) });
    QVERIFY(mainbox()->clipText().isEmpty());
    QCOMPARE(entries(), (QStringList { "a.txt", "faq.txt" }));
    QCOMPARE(folderEntries(m_f->path(QString())), (QStringList { "a.hed", "a.txt", "faq.hed", "faq.txt" }));
}

void TestWindowFaults::clipFolderRemoved()
{
    showWithClipA();
    const QString folder = m_f->path(QString());
    clickToEnd(mainbox());

    // Another program removes the whole folder, the program's current directory. A key released
    // before the poll notices saves nothing, reports nothing and makes nothing.
    QVERIFY(QDir(folder).removeRecursively());
    m_f->type(QStringLiteral("x"));
    QVERIFY(m_boxes->take().isEmpty());
    QVERIFY(!QFileInfo::exists(folder));
    QTRY_VERIFY_WITH_TIMEOUT(editorsDisabled(), kPollWait);

    // A refresh lists nothing; opening finds no clip, as for any missing one; Create cannot
    // make its file; Delete with nothing selected asks nothing.
    typeCommand(QStringLiteral("*"));
    QVERIFY(entries().isEmpty());
    QCOMPARE(QApplication::focusWidget(), list());
    enter(QStringLiteral("a"));
    QVERIFY(m_boxes->take().isEmpty());
    QCOMPARE(clipboard(), kMarker);
    create(QStringLiteral("b"));
    QCOMPARE(m_boxes->take(), QStringList { QStringLiteral("Error creating file!") });
    QVERIFY(entries().isEmpty());
    auto* deleteButton = m_f->control<QPushButton>("Button2");
    clickOn(deleteButton, deleteButton->rect().center());
    QVERIFY(m_boxes->take().isEmpty());
    QVERIFY(entries().isEmpty());
    QVERIFY(!QFileInfo::exists(folder));

    // A folder made again in its place is the clip folder once more.
    QVERIFY(QDir().mkpath(folder));
    write("a.txt", "again");
    write("b.txt", "b");
    typeCommand(QStringLiteral("*"));
    QCOMPARE(entries(), (QStringList { "a.txt", "b.txt" }));
    enter(QStringLiteral("a"));
    QVERIFY(m_boxes->take().isEmpty());
    QCOMPARE(clipboard(), QStringLiteral("again"));
    QVERIFY(QFileInfo::exists(m_f->path(QStringLiteral("a.hed"))));
}

QTEST_MAIN(TestWindowFaults)
#include "tst_windowfaults.moc"
