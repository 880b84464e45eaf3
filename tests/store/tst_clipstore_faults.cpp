#include "ClipError.h"
#include "ClipFiles.h"
#include "ClipStore.h"

#include "ClipFolder.h"
#include "OpenedClip.h"
#include "FaultInjection.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <iterator>

using namespace Qt::StringLiterals;

using FaultInjection::Entry;

namespace {

QByteArray outcomeName(CreateOutcome outcome)
{
    static constexpr const char* kNames[] = { "already exists", "created", "failed" };
    static_assert(std::size(kNames) == size_t(CreateOutcome::Failed) + 1, "a name for every outcome");
    return kNames[size_t(outcome)];
}

// The message of the error the action throws, as bytes; "done" when it throws none.
QByteArray reportOf(const std::function<void()>& action)
{
    const QString message = errorMessageOf(action);
    return message.isEmpty() ? QByteArray("done") : message.toUtf8();
}

// A small disk or a file-size limit, for a save that does not fit.
enum class Room { SmallDisk, FullDisk, NoFreeInode, FileSizeLimit };

} // namespace

// The store on clip folders that hold faults made for real: entries named like clips that are no
// file, files that change between their existence test and their read, disks and file-size
// limits without room for a save, permissions that refuse, and a folder removed while in use.
// A FIFO must never block: the whole test runs under a watchdog.
class TestClipStoreFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void entryNamedLikeAClip_data();
    void entryNamedLikeAClip();
    void fileChangedBetweenTestAndRead_data();
    void fileChangedBetweenTestAndRead();
    void saveThatDoesNotFit_data();
    void saveThatDoesNotFit();
    void permissions_data();
    void permissions();
    void folderRemovedWhileInUse();
    void fileTooLargeIsRefusedBySize_data();
    void fileTooLargeIsRefusedBySize();
    void nameKeptOnAFileSystemIgnoringCase();
    void titleMadeByAnotherProgramWhileOpening();
};

void TestClipStoreFaults::initTestCase()
{
    // Where permitted, a disk left mounted by a crash goes with the process.
    FaultInjection::enterPrivateMounts();
}

void TestClipStoreFaults::init()
{
    // A call blocked on a FIFO ends the run here rather than at the suite's time-out.
    ::alarm(60);
}

void TestClipStoreFaults::cleanup()
{
    ::alarm(0);
}

void TestClipStoreFaults::entryNamedLikeAClip_data()
{
    FaultInjection::addEntryRows();
}

void TestClipStoreFaults::entryNamedLikeAClip()
{
    QFETCH(Entry, entry);
    QFETCH(bool, asTitle);

    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:a.txt=A f:a.hed=At"));
    const QByteArray entryName = asTitle ? "faq.hed" : "faq.txt";
    QVERIFY(ClipFolder::make(asTitle ? "f:faq.txt=B" : "f:faq.hed=T"));
    QVERIFY(FaultInjection::makeEntry(entry, folder.pathOf(entryName)));

    // Listed only when the body is a file.
    QCOMPARE(ClipFiles::listBodyFiles(folder.path()),
             asTitle ? (QList<QByteArray> { "a.txt", "faq.txt" }) : QList<QByteArray> { "a.txt" });

    ClipStore store;
    QCOMPARE(openedTexts(store, "a"), (QStringList { u"At"_s, u"A"_s }));
    if (asTitle) {
        // A title that cannot be made: the opening stops there.
        QCOMPARE(reportOf([&] { store.openClip("faq", [] {}); }), "Cannot create file " + folder.pathOf("faq.hed"));
        QVERIFY(store.bodyPresent());
    } else {
        QCOMPARE(store.openClip("faq", [] { QFAIL("no clip, no title"); }), OpenOutcome::NotFound);
        QVERIFY(!store.bodyPresent());
    }
    // Nothing read from faq: nothing saved there, and a's text not into faq's files.
    QCOMPARE(reportOf([&] {
                 store.saveTitle(u"At"_s);
                 store.saveBody(u"A"_s);
             }),
             "done");
    QCOMPARE(store.createClip("faq"), asTitle ? CreateOutcome::AlreadyExists : CreateOutcome::Failed);

    // Read or written directly, the entry is refused at once: nothing blocks, nothing is written.
    const QByteArray path = folder.pathOf(entryName);
    QCOMPARE(reportOf([&] { ClipFiles::readAll(path); }), "Cannot open file " + path);
    QCOMPARE(reportOf([&] { ClipFiles::writeAll(path, "x"); }), "Cannot create file " + path);
    QVERIFY(FaultInjection::isEntry(entry, path));
    QCOMPARE(ClipFolder::read(asTitle ? "faq.txt" : "faq.hed"), asTitle ? QByteArray("B") : QByteArray("T"));
    QCOMPARE(ClipFolder::read("a.txt"), QByteArray("A"));
    QCOMPARE(ClipFolder::read("a.hed"), QByteArray("At"));
    QCOMPARE(folder.listing(), QByteArray("a.hed a.txt faq.hed faq.txt"));

    // Deleting the clip takes the title's name with it, unless a directory holds it.
    if (asTitle) {
        store.deleteClip(folder.pathOf("faq.txt"));
        QCOMPARE(folder.listing(),
                 entry == Entry::Directory ? QByteArray("a.hed a.txt faq.hed") : QByteArray("a.hed a.txt"));
    }
}

void TestClipStoreFaults::fileChangedBetweenTestAndRead_data()
{
    QTest::addColumn<bool>("title");
    QTest::addColumn<int>("change"); // -1 removed, otherwise the Entry put in the file's place
    QTest::addColumn<bool>("whileTitleIsMade");
    for (const bool title : { true, false }) {
        const char* which = title ? "title" : "body";
        QTest::addRow("%s removed", which) << title << -1 << false;
        for (const Entry entry : { Entry::Directory, Entry::Fifo, Entry::Socket, Entry::SymlinkLoop })
            QTest::addRow("%s replaced by a %s", which, FaultInjection::entryName(entry))
                << title << int(entry) << false;
    }
    // The store's own moment between the two: the caller empties its title line.
    QTest::addRow("body removed while the title is made") << false << -1 << true;
}

void TestClipStoreFaults::fileChangedBetweenTestAndRead()
{
    QFETCH(bool, title);
    QFETCH(int, change);
    QFETCH(bool, whileTitleIsMade);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(whileTitleIsMade ? "f:faq.txt=B" : "f:faq.txt=B f:faq.hed=T"));
    const QByteArray name = title ? "faq.hed" : "faq.txt";
    const QByteArray path = folder.pathOf(name);
    const auto makeChange = [&] {
        QCOMPARE(::remove(name.constData()), 0);
        if (change >= 0)
            QVERIFY(FaultInjection::makeEntry(Entry(change), path));
    };

    ClipStore store;
    int titlesMade = 0;
    QCOMPARE(store.openClip("faq",
                            [&] {
                                ++titlesMade;
                                makeChange();
                            }),
             OpenOutcome::Found);
    QCOMPARE(titlesMade, whileTitleIsMade ? 1 : 0);
    if (!title) {
        QCOMPARE(store.takeTitleText(), whileTitleIsMade ? QString() : u"T"_s);
        if (!whileTitleIsMade)
            makeChange();
        QCOMPARE(reportOf([&] { store.takeBodyText(); }), "Cannot open file " + path);
    } else {
        makeChange();
        QCOMPARE(reportOf([&] { store.takeTitleText(); }), "Cannot open file " + path);
    }

    // What was not read is not saved: the change stays as it was made, nothing takes its place.
    QCOMPARE(reportOf([&] {
                 store.saveTitle(u"new title"_s);
                 store.saveBody(u"new body"_s);
             }),
             "done");
    if (change >= 0)
        QVERIFY(FaultInjection::isEntry(Entry(change), path));
    if (title)
        QCOMPARE(ClipFolder::read("faq.txt"), QByteArray("B"));
    else
        QCOMPARE(ClipFolder::read("faq.hed"), QByteArray("new title"));
    const QByteArray other = title ? "faq.txt" : "faq.hed";
    QCOMPARE(folder.names(), change >= 0 ? (QList<QByteArray> { "faq.hed", "faq.txt" }) : QList<QByteArray> { other });
}

void TestClipStoreFaults::saveThatDoesNotFit_data()
{
    QTest::addColumn<Room>("room");
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("listing");

    const QByteArray full = "Stream write error;found;created";
    const QByteArray all = "faq.hed faq.txt new.hed new.txt other.txt";
    // With the folder not writable, as "nobody": the file is written in place.
    const QByteArray inPlace = "Stream write error;Cannot create file %/new.hed;failed";
    QTest::newRow("disk smaller than the text") << Room::SmallDisk << false << full << all;
    QTest::newRow("disk full to the last byte") << Room::FullDisk << false << full << all + " z-filler";
    QTest::newRow("no free inode") << Room::NoFreeInode << false
                                   << QByteArray("Stream write error;Cannot create file %/new.hed;failed")
                                   << QByteArray("faq.hed faq.txt new.txt");
    QTest::newRow("file-size limit") << Room::FileSizeLimit << false << full << all;
    QTest::newRow("in place, disk smaller than the text")
        << Room::SmallDisk << true << inPlace << QByteArray("faq.hed faq.txt new.txt");
    QTest::newRow("in place, disk full to the last byte")
        << Room::FullDisk << true << inPlace << QByteArray("faq.hed faq.txt new.txt z-filler");
    QTest::newRow("in place, file-size limit")
        << Room::FileSizeLimit << true << inPlace << QByteArray("faq.hed faq.txt new.txt");
}

void TestClipStoreFaults::saveThatDoesNotFit()
{
    QFETCH(Room, room);
    QFETCH(bool, inPlace);
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, listing);

    ClipFolder folder;
    const QByteArray disk = folder.pathOf("disk");
    QCOMPARE(::mkdir(disk.constData(), 0755), 0);
    std::unique_ptr<FaultInjection::ScratchDisk> mount;
    if (room != Room::FileSizeLimit) {
        mount = std::make_unique<FaultInjection::ScratchDisk>(
            disk, room == Room::NoFreeInode ? "size=64k,nr_inodes=4" : "size=64k");
        if (!mount->mounted())
            QSKIP("mounting a small disk is not permitted here");
    }
    const QByteArray old = QByteArray("old text ").repeated(400);
    QVERIFY(ClipFolder::write("disk/faq.txt", old));
    QVERIFY(ClipFolder::write("disk/faq.hed", "T"));
    QVERIFY(ClipFolder::write("disk/new.txt", QByteArray()));
    if (room == Room::FullDisk)
        QVERIFY(FaultInjection::fillDisk(disk + "/z-filler"));
    const ino_t inode = ClipFolder::inode("disk/faq.txt");
    if (inPlace) {
        uid_t uid;
        gid_t gid;
        if (::geteuid() == 0 && FaultInjection::nobodyIds(uid, gid)) {
            for (const char* file : { "disk/faq.txt", "disk/faq.hed", "disk/new.txt" })
                QCOMPARE(::chown(file, uid, gid), 0);
        }
        QCOMPARE(::chmod(folder.path().constData(), 0755), 0);
        QCOMPARE(::chmod(disk.constData(), 0555), 0);
    }

    const QByteArray got = runInChild(
        [&] {
            QByteArray steps;
            if (::chdir(disk.constData()) != 0)
                return QByteArray("cannot enter the disk");
            FaultInjection::FileSizeLimit limit(room == Room::FileSizeLimit ? 4096 : RLIM_INFINITY);
            ClipStore store;
            steps += reportOf([&] {
                store.openClip("faq");
                store.takeTitleText();
                store.takeBodyText();
                // Far more than the small disk or the limit holds; short of the folder's room
                // for the other files.
                store.saveBody(QString(100'000, u'n'));
            });
            steps += ';';
            steps += reportOf([&] { store.openClip("new"); }).replace("done", "found");
            steps += ';' + outcomeName(store.createClip("other"));
            return steps;
        },
        inPlace);
    ::chmod(disk.constData(), 0755);

    QCOMPARE(got, QByteArray(report).replace("%", disk));
    // The old text whole, in the same file, and nothing left beside it.
    QCOMPARE(ClipFolder::read("disk/faq.txt"), old);
    QCOMPARE(ClipFolder::inode("disk/faq.txt"), inode);
    QCOMPARE(folder.listing("disk"), listing);
}

void TestClipStoreFaults::permissions_data()
{
    QTest::addColumn<QByteArray>("entries"); // as ClipFolder::make, with "0200:" for write-only
    QTest::addColumn<mode_t>("folderMode");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("sameFiles"); // written in place, if at all

    const auto row = [](const char* tag, const QByteArray& entries, mode_t folderMode, bool asNobody,
                        const QByteArray& report, const QByteArray& title, const QByteArray& body, bool sameFiles) {
        QTest::newRow(tag) << entries << folderMode << asNobody << report << title << body << sameFiles;
    };
    // Without any write permission bit a file is read-only, also for root.
    for (const bool nobody : { false, true }) {
        row(nobody ? "read-only body, as nobody" : "read-only body, as root", "r:faq.txt=B f:faq.hed=T", 0777, nobody,
            "opened;Cannot create file %/faq.txt;created", "new title", "B", false);
    }
    // Root may add files to any folder; anyone else writes the file itself.
    row("read-only folder, as root", "f:faq.txt=B f:faq.hed=T", 0555, false, "opened;saved;created", "new title",
        "new body", false);
    row("read-only folder, as nobody", "f:faq.txt=B f:faq.hed=T", 0555, true, "opened;saved;failed", "new title",
        "new body", true);
    // Unreadable: only for a user that permissions bind.
    row("body without read permission", "w:faq.txt=B f:faq.hed=T", 0777, true,
        "Cannot open file %/faq.txt;saved;created", "new title", "B", false);
    row("title without read permission", "f:faq.txt=B w:faq.hed=T", 0777, true,
        "Cannot open file %/faq.hed;saved;created", "T", "B", false);
}

void TestClipStoreFaults::permissions()
{
    QFETCH(QByteArray, entries);
    QFETCH(mode_t, folderMode);
    QFETCH(bool, asNobody);
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, body);
    QFETCH(bool, sameFiles);

    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    if (!asNobody && uid != 0)
        QSKIP("acts as root");
    if (asNobody && uid == 0 && !FaultInjection::nobodyIds(uid, gid))
        QSKIP("no user nobody to act as");

    ClipFolder folder;
    QVERIFY(ClipFolder::make(QByteArray(entries).replace("w:", "f:")));
    for (const QByteArray& word : entries.split(' ')) {
        const QByteArray name = word.mid(2, word.indexOf('=') - 2);
        QCOMPARE(::chown(name.constData(), uid, gid), 0);
        if (word.startsWith("w:"))
            QCOMPARE(::chmod(name.constData(), 0200), 0);
    }
    const ino_t titleInode = ClipFolder::inode("faq.hed");
    const ino_t bodyInode = ClipFolder::inode("faq.txt");
    QCOMPARE(::chmod(folder.path().constData(), folderMode), 0);

    const QByteArray got = runInChild(
        [] {
            ClipStore store;
            QByteArray steps = reportOf([&] {
                                   store.openClip("faq");
                                   store.takeTitleText();
                                   store.takeBodyText();
                               }).replace("done", "opened");
            steps += ';';
            steps += reportOf([&] {
                         store.saveTitle(u"new title"_s);
                         store.saveBody(u"new body"_s);
                     }).replace("done", "saved");
            return steps + ';' + outcomeName(store.createClip("other"));
        },
        asNobody);
    ::chmod(folder.path().constData(), 0755);
    ::chmod("faq.txt", 0644);
    ::chmod("faq.hed", 0644);

    QCOMPARE(got, QByteArray(report).replace("%", folder.path()));
    QCOMPARE(ClipFolder::read("faq.hed"), title);
    QCOMPARE(ClipFolder::read("faq.txt"), body);
    if (sameFiles) {
        QCOMPARE(ClipFolder::inode("faq.hed"), titleInode);
        QCOMPARE(ClipFolder::inode("faq.txt"), bodyInode);
    }
    QCOMPARE(folder.listing(),
             got.endsWith("created") ? QByteArray("faq.hed faq.txt other.txt") : QByteArray("faq.hed faq.txt"));
}

void TestClipStoreFaults::folderRemovedWhileInUse()
{
    ClipFolder folder;
    const QByteArray clips = folder.pathOf("clips");
    QCOMPARE(::mkdir(clips.constData(), 0755), 0);
    QVERIFY(ClipFolder::make("f:clips/a.txt=A f:clips/a.hed=At"));
    QVERIFY(ClipFiles::setCurrentDirectory(clips));
    ClipStore store;
    QVERIFY(!openedTexts(store, "a").isEmpty());

    // Removed by another program while it is the current directory.
    for (const char* file : { "a.txt", "a.hed" })
        QCOMPARE(::unlink((clips + '/' + file).constData()), 0);
    QCOMPARE(::rmdir(clips.constData()), 0);

    QCOMPARE(ClipFiles::listBodyFiles(clips), QList<QByteArray>());
    QVERIFY(!ClipFiles::setCurrentDirectory(clips));
    // Where the clips belonged is still known, so the folder is not taken for another one.
    QCOMPARE(ClipFiles::currentDirectory(), clips);
    QVERIFY(!store.bodyPresent());
    QCOMPARE(reportOf([&] {
                 store.saveTitle(u"At"_s);
                 store.saveBody(u"A"_s);
             }),
             "done");
    QCOMPARE(store.openClip("a", [] { QFAIL("no clip, no title"); }), OpenOutcome::NotFound);
    QCOMPARE(store.currentBodyPath(), clips + "/a.txt");
    QCOMPARE(store.createClip("b"), CreateOutcome::Failed);
    QCOMPARE(ClipFolder::mode(clips), mode_t(0));

    // A folder made again in its place is where the clips are found once more.
    // The current directory is the removed one: only whole paths reach the new folder.
    QCOMPARE(::mkdir(clips.constData(), 0755), 0);
    QVERIFY(ClipFolder::write(clips + "/a.txt", "again"));
    QCOMPARE(store.openClip("a"), OpenOutcome::Found);
    QCOMPARE(store.takeBodyText(), u"again"_s);
    QVERIFY(ClipFiles::setCurrentDirectory(clips));
    QCOMPARE(store.createClip("b"), CreateOutcome::Created);
    QCOMPARE(folder.listing("clips"), QByteArray("a.hed a.txt b.txt"));
}

void TestClipStoreFaults::fileTooLargeIsRefusedBySize_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QByteArray>("report");
    // Three bytes a character (UTF-8) and a mark is the most that can still fit.
    const qint64 limit = 3 * qint64(kClipTextCapacity) + 3;
    QTest::newRow("body at the limit") << QByteArray("big.txt") << limit << QByteArray("done");
    QTest::newRow("body one byte over") << QByteArray("big.txt") << limit + 1 << QByteArray("Text exceeds memo capacity");
    QTest::newRow("body of 5 GB") << QByteArray("big.txt") << (qint64(5) << 30) << QByteArray("Text exceeds memo capacity");
    QTest::newRow("title of 5 GB") << QByteArray("big.hed") << (qint64(5) << 30) << QByteArray("Text exceeds memo capacity");
}

void TestClipStoreFaults::fileTooLargeIsRefusedBySize()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, size);
    QFETCH(QByteArray, report);

    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:big.txt=x f:big.hed=x"));
    // Sparse: its size costs no disk, but reading it would.
    QCOMPARE(::truncate(file.constData(), off_t(size)), 0);
    ClipStore store;
    QCOMPARE(store.openClip("big"), OpenOutcome::Found);
    QCOMPARE(reportOf([&] { file.endsWith(".hed") ? store.takeTitleText() : store.takeBodyText(); }), report);
    struct stat after;
    QCOMPARE(::stat(file.constData(), &after), 0);
    QCOMPARE(qint64(after.st_size), size);
}

// A FAT file system, as on a USB stick, mounted through FUSE from an image: it ignores letter
// case, so the name as typed reaches the file, but a save must keep the name it has.
void TestClipStoreFaults::nameKeptOnAFileSystemIgnoringCase()
{
    const QString mkfs = QStandardPaths::findExecutable(u"mkfs.vfat"_s, { u"/usr/sbin"_s, u"/sbin"_s });
    if (mkfs.isEmpty() || QStandardPaths::findExecutable(u"fusefat"_s).isEmpty() || ::access("/dev/fuse", R_OK | W_OK) != 0)
        QSKIP("needs mkfs.vfat, fusefat and /dev/fuse");
    ClipFolder folder;
    QCOMPARE(QProcess::execute(mkfs, { u"-C"_s, u"stick.img"_s, u"2048"_s }), 0);
    QCOMPARE(::mkdir("stick", 0755), 0);
    QCOMPARE(QProcess::execute(u"fusefat"_s, { u"-o"_s, u"rw+"_s, u"stick.img"_s, u"stick"_s }), 0);
    const auto unmount = qScopeGuard([&] {
        QCOMPARE(::chdir(folder.path().constData()), 0);
        QProcess::execute(u"fusermount"_s, { u"-u"_s, u"stick"_s });
    });
    QVERIFY(ClipFolder::write("stick/FAQ1.TXT", "old"));
    QVERIFY(ClipFolder::write("stick/FAQ1.HED", "T"));
    QCOMPARE(::chdir("stick"), 0);

    ClipStore store;
    QCOMPARE(openedTexts(store, "faq1"), (QStringList { u"T"_s, u"old"_s }));
    store.saveBody(u"new"_s);
    store.saveTitle(u"T2"_s);
    QCOMPARE(folder.listing("stick"), QByteArray("FAQ1.HED FAQ1.TXT"));
    QCOMPARE(ClipFolder::read("FAQ1.TXT"), QByteArray("new"));
    QCOMPARE(ClipFolder::read("FAQ1.HED"), QByteArray("T2"));
}

void TestClipStoreFaults::titleMadeByAnotherProgramWhileOpening()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:faq.txt=B"));
    ClipStore store;
    QCOMPARE(openedTexts(store, "faq", [] { QVERIFY(ClipFolder::make("f:faq.hed=Theirs")); }),
             (QStringList { u"Theirs"_s, u"B"_s }));
}

QTEST_GUILESS_MAIN(TestClipStoreFaults)
#include "tst_clipstore_faults.moc"
