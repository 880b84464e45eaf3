#include "ClipError.h"
#include "ClipFiles.h"

#include "ClipFolder.h"

#include <QProcess>
#include <QTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

long long nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

} // namespace

// The file routines on a real folder: what counts as a file, which name on disk a path
// reaches, how whole files are read and replaced, and the folder's list of body files.
class TestClipFiles : public QObject
{
    Q_OBJECT

private slots:
    void existenceAndResolvedName_data();
    void existenceAndResolvedName();
    void existenceFollowsFolderChanges();
    void readRefusesWhatIsNoFile_data();
    void readRefusesWhatIsNoFile();
    void writeRefusesWhatCannotBeWritten_data();
    void writeRefusesWhatCannotBeWritten();
    void writeKeepsModeLinkAndName();
    void writeKeepsWhatTheFileIs_data();
    void writeKeepsWhatTheFileIs();
    void writeAsAnotherUser();
    void listBodyFiles();
    void enteringDirectories();
};

void TestClipFiles::existenceAndResolvedName_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("onDisk");
    const auto row = [](const char* tag, const QByteArray& entries, const QByteArray& name, bool exists,
                        const QByteArray& onDisk) { QTest::newRow(tag) << entries << name << exists << onDisk; };
    row("exact", "f:a.txt", "a.txt", true, "a.txt");
    row("other case", "f:FAQ1.TXT", "faq1.txt", true, "FAQ1.TXT");
    row("exact beats case twin", "f:FAQ1.TXT f:faq1.txt", "faq1.txt", true, "faq1.txt");
    row("first twin in byte order", "f:faq1.txt f:Faq1.txt f:FAQ1.TXT", "fAQ1.txt", true, "FAQ1.TXT");
    row("directory", "d:a.txt", "a.txt", false, "a.txt");
    row("exact directory beats file twin", "d:faq1.txt f:FAQ1.TXT", "faq1.txt", false, "faq1.txt");
    row("first twin a directory", "d:FAQ1.TXT f:Faq1.txt", "faq1.txt", false, "FAQ1.TXT");
    row("FIFO", "p:x.txt", "x.txt", false, "x.txt");
    row("link to a file", "f:a.dat l:L.TXT>a.dat", "l.txt", true, "L.TXT");
    row("dangling link", "l:l.txt>gone", "l.txt", false, "l.txt");
    row("link to a directory", "d:dir l:l.txt>dir", "l.txt", false, "l.txt");
    row("nameless", "f:.txt", ".txt", true, ".txt");
    row("nameless missing", "f:a.txt f:.hed", ".txt", false, ".txt");
    row("UTF-8 letters", "f:CAF\xc3\x89.TXT", "caf\xc3\xa9.txt", true, "CAF\xc3\x89.TXT");
    row("Windows-1252 letters", "f:CAF\xc9.TXT", "caf\xe9.txt", true, "CAF\xc9.TXT");
    row("in a subfolder", "d:sub f:sub/A.TXT", "sub/a.txt", true, "sub/A.TXT");
    row("missing subfolder", "", "sub/a.txt", false, "sub/a.txt");
    // Patterns are for the existence test only: a read or write never picks another file.
    row("star", "f:ABC.TXT", "a*.txt", true, "a*.txt");
    row("star matching nothing", "f:b.txt", "a*.txt", false, "a*.txt");
    row("question mark", "f:ab.txt", "a?.txt", true, "a?.txt");
    row("question mark is one character", "f:abc.txt", "a?.txt", false, "a?.txt");
    row("question mark for a letter in UTF-8", "f:\xc3\xa9.txt", "?.txt", true, "?.txt");
    row("first match a directory", "d:aa.txt f:ab.txt", "a*.txt", false, "a*.txt");
    row("first match a file", "f:aa.txt d:ab.txt", "a*.txt", true, "a*.txt");
    row("star literally on disk", "f:a*.txt", "a*.txt", true, "a*.txt");
}

void TestClipFiles::existenceAndResolvedName()
{
    QFETCH(QByteArray, entries);
    QFETCH(QByteArray, name);
    QFETCH(bool, exists);
    QFETCH(QByteArray, onDisk);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    QCOMPARE(ClipFiles::exists(folder.pathOf(name)), exists);
    QCOMPARE(ClipFiles::exists(name), exists);
    QCOMPARE(ClipFiles::resolve(folder.pathOf(name)), folder.pathOf(onDisk));
}

void TestClipFiles::existenceFollowsFolderChanges()
{
    ClipFolder folder;
    const QByteArray path = folder.pathOf("faq1.txt");
    QVERIFY(!ClipFiles::exists(path));
    QVERIFY(ClipFolder::write("FAQ1.TXT", "x"));
    QVERIFY(ClipFiles::exists(path));
    QCOMPARE(::rename("FAQ1.TXT", "Faq1.txt"), 0);
    QCOMPARE(ClipFiles::resolve(path), folder.pathOf("Faq1.txt"));
    QCOMPARE(::unlink("Faq1.txt"), 0);
    QVERIFY(!ClipFiles::exists(path));

    // A folder left alone for a while has its listing remembered; one change in each must
    // still show at once, also when the change keeps the folder's modification time.
    QVERIFY(ClipFolder::make("d:added d:removed d:renamed d:replaced f:removed/FAQ1.TXT f:renamed/FAQ1.TXT "
                             "f:replaced/FAQ1.TXT"));
    const QByteArray subfolders[] = { "added", "removed", "renamed", "replaced" };
    // The store trusts a listing read after the clock has passed the folder's last change. That
    // change includes the status-change time, which no call sets back (setting the other stamps
    // moves it to now), so the test waits for the clock's next tick, not for a fixed time.
    QTRY_VERIFY(std::all_of(std::begin(subfolders), std::end(subfolders), [](const QByteArray& sub) {
        struct stat status;
        timespec now;
        return ::stat(sub.constData(), &status) == 0 && ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0
            && std::max(nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)) < nanoseconds(now);
    }));
    for (const QByteArray& sub : subfolders)
        QCOMPARE(ClipFiles::exists(sub + "/faq1.txt"), sub != "added");

    QVERIFY(ClipFolder::write("added/FAQ1.TXT", "x"));
    QCOMPARE(::unlink("removed/FAQ1.TXT"), 0);
    struct stat old;
    QCOMPARE(::stat("renamed", &old), 0);
    QCOMPARE(::rename("renamed/FAQ1.TXT", "renamed/Faq1.txt"), 0);
    const timespec times[2] = { old.st_atim, old.st_mtim };
    QCOMPARE(::utimensat(AT_FDCWD, "renamed", times, 0), 0);
    QCOMPARE(::unlink("replaced/FAQ1.TXT"), 0);
    QCOMPARE(::mkdir("replaced/FAQ1.TXT", 0755), 0);

    QVERIFY(ClipFiles::exists("added/faq1.txt"));
    QVERIFY(!ClipFiles::exists("removed/faq1.txt"));
    QCOMPARE(ClipFiles::resolve("renamed/faq1.txt"), QByteArray("renamed/Faq1.txt"));
    QVERIFY(!ClipFiles::exists("replaced/faq1.txt"));
}

void TestClipFiles::readRefusesWhatIsNoFile_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("directory") << QByteArray("d:x.txt");
    QTest::newRow("FIFO") << QByteArray("p:x.txt"); // would block a plain open
    QTest::newRow("dangling link") << QByteArray("l:x.txt>gone");
}

void TestClipFiles::readRefusesWhatIsNoFile()
{
    QFETCH(QByteArray, entries);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    const QByteArray path = folder.pathOf("X.txt");
    QCOMPARE(errorMessageOf([&] { ClipFiles::readAll(path); }), u"Cannot open file "_s + QString::fromUtf8(path));
}

void TestClipFiles::writeRefusesWhatCannotBeWritten_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("name");
    // Read-only also for root, who could otherwise write it.
    QTest::newRow("read-only") << QByteArray("r:x.txt=old") << QByteArray("x.txt");
    QTest::newRow("read-only in other case") << QByteArray("r:X.TXT=old") << QByteArray("x.txt");
    QTest::newRow("link to a read-only file") << QByteArray("r:t.dat=old l:x.txt>t.dat") << QByteArray("x.txt");
    QTest::newRow("directory") << QByteArray("d:x.txt") << QByteArray("x.txt");
    QTest::newRow("FIFO") << QByteArray("p:x.txt") << QByteArray("x.txt");
    QTest::newRow("new file named by a pattern") << QByteArray("f:xyz.txt=old") << QByteArray("x*.txt");
}

void TestClipFiles::writeRefusesWhatCannotBeWritten()
{
    QFETCH(QByteArray, entries);
    QFETCH(QByteArray, name);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    const QList<QByteArray> before = folder.names();
    const QByteArray path = folder.pathOf(name);
    QCOMPARE(errorMessageOf([&] { ClipFiles::writeAll(path, "new"); }),
             u"Cannot create file "_s + QString::fromUtf8(path));
    QCOMPARE(folder.names(), before);
    for (const QByteArray& name : before) {
        if (S_ISREG(ClipFolder::mode(name)))
            QCOMPARE(ClipFolder::read(name), QByteArray("old"));
    }
}

void TestClipFiles::writeKeepsModeLinkAndName()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("d:store f:store/target.dat=old l:LINK.TXT>store/target.dat f:FAQ1.HED=old"));
    QCOMPARE(::chmod("FAQ1.HED", 0640), 0);

    ClipFiles::writeAll(folder.pathOf("faq1.hed"), "title");
    ClipFiles::writeAll(folder.pathOf("link.txt"), "body");

    QCOMPARE(folder.listing(), QByteArray("FAQ1.HED LINK.TXT store"));
    QCOMPARE(ClipFolder::read("FAQ1.HED"), QByteArray("title"));
    QCOMPARE(ClipFolder::mode("FAQ1.HED") & 07777, mode_t(0640));
    QVERIFY(S_ISLNK(ClipFolder::mode("LINK.TXT")));
    QCOMPARE(ClipFolder::read("store/target.dat"), QByteArray("body"));
    QCOMPARE(ClipFolder::mode("store/target.dat") & 07777, mode_t(0644));
    QCOMPARE(folder.listing("store"), QByteArray("target.dat"));
}

void TestClipFiles::writeKeepsWhatTheFileIs_data()
{
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("a second hard link sees the new text") << QByteArray("link");
    QTest::newRow("an extended attribute") << QByteArray("user.snipwell");
    QTest::newRow("an ACL") << QByteArray("system.posix_acl_access");
}

void TestClipFiles::writeKeepsWhatTheFileIs()
{
    QFETCH(QByteArray, kept);
    ClipFolder folder;
    QVERIFY(ClipFolder::write("a.txt", "old"));
    const auto attribute = [&] {
        char value[256];
        const ssize_t size = ::getxattr("a.txt", kept.constData(), value, sizeof value);
        return size < 0 ? QByteArray() : QByteArray(value, size);
    };
    if (kept == "link") {
        QCOMPARE(::link("a.txt", "b.txt"), 0);
    } else if (kept.startsWith("user.")) {
        if (::setxattr("a.txt", kept.constData(), "kept", 4, 0) != 0)
            QSKIP("this file system keeps no extended attributes");
    } else if (QProcess::execute(u"setfacl"_s, { u"-m"_s, u"u:nobody:r"_s, u"a.txt"_s }) != 0) {
        QSKIP("setfacl is missing or this file system keeps no ACLs");
    }
    const QByteArray before = attribute();
    const ino_t inode = ClipFolder::inode("a.txt");

    ClipFiles::writeAll(folder.pathOf("a.txt"), "new");
    QCOMPARE(ClipFolder::read("a.txt"), QByteArray("new"));
    if (kept == "link") {
        QCOMPARE(ClipFolder::read("b.txt"), QByteArray("new"));
        QCOMPARE(ClipFolder::inode("a.txt"), inode);
    } else {
        QVERIFY(!before.isEmpty());
        QCOMPARE(attribute(), before);
        QVERIFY(ClipFolder::inode("a.txt") != inode); // replaced whole, not written over
    }
}

void TestClipFiles::writeAsAnotherUser()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    ClipFolder folder;
    // Only root may add files here; the user may write open.txt but not closed.txt.
    QVERIFY(ClipFolder::make("f:open.txt=old f:closed.txt=old"));
    QCOMPARE(::chmod("open.txt", 0666), 0);
    QCOMPARE(::chmod(folder.path().constData(), 0755), 0);
    struct stat before;
    QCOMPARE(::stat("open.txt", &before), 0);

    const QByteArray report = runInChild(
        [&] {
            QByteArray report;
            for (const char* name : { "open.txt", "closed.txt" }) {
                try {
                    ClipFiles::writeAll(folder.pathOf(name), "new");
                    report += "written;";
                } catch (const ClipError& error) {
                    report += error.message().toUtf8() + ';';
                }
            }
            return report;
        },
        true);

    QCOMPARE(report, "written;Cannot create file " + folder.pathOf("closed.txt") + ';');
    struct stat after;
    QCOMPARE(::stat("open.txt", &after), 0);
    QCOMPARE(after.st_ino, before.st_ino); // written in place
    QCOMPARE(ClipFolder::read("open.txt"), QByteArray("new"));
    QCOMPARE(ClipFolder::read("closed.txt"), QByteArray("old"));
}

void TestClipFiles::listBodyFiles()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:b.TXT f:a.txt f:A.txt f:.txt f:Z.txt f:caf\xe9.txt f:c.txt.bak f:c.hed f:txt d:dir.txt "
                             "p:fifo.txt f:g.dat l:g.txt>g.dat l:h.txt>gone d:sub l:s.txt>sub"));
    QCOMPARE(ClipFiles::listBodyFiles(folder.path()),
             (QList<QByteArray> { ".txt", "A.txt", "a.txt", "b.TXT", "caf\xe9.txt", "g.txt", "Z.txt" }));
    QCOMPARE(ClipFiles::listBodyFiles(folder.pathOf("gone")), QList<QByteArray>());
    QList<qsizetype> counts;
    ClipFiles::listBodyFiles(folder.path(), [&counts](qsizetype found) { counts.append(found); });
    QCOMPARE(counts, (QList<qsizetype> { 1, 2, 3, 4, 5, 6, 7 }));

    // All 32 spellings of one name: equal without regard to case, so byte order decides.
    ClipFolder twins;
    QList<QByteArray> spellings;
    for (int bits = 0; bits < 32; ++bits) {
        QByteArray name("ab.txt");
        for (int letter = 0, bit = 0; letter < name.size(); ++letter) {
            if (name[letter] != '.' && (bits >> bit++ & 1))
                name[letter] = char(name[letter] - ('a' - 'A'));
        }
        QVERIFY(ClipFolder::write(name, QByteArray()));
        spellings.append(name);
    }
    std::sort(spellings.begin(), spellings.end());
    QCOMPARE(ClipFiles::listBodyFiles(twins.path()), spellings);
}

void TestClipFiles::enteringDirectories()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("d:sub f:file.txt"));
    QVERIFY(ClipFiles::setCurrentDirectory(folder.pathOf("sub")));
    QCOMPARE(ClipFiles::currentDirectory(), folder.pathOf("sub"));

    // What cannot be entered leaves the current directory where it was.
    for (const QByteArray& refused : { folder.pathOf("file.txt"), folder.pathOf("gone"), QByteArray() }) {
        QVERIFY2(!ClipFiles::setCurrentDirectory(refused), refused.constData());
        QCOMPARE(ClipFiles::currentDirectory(), folder.pathOf("sub"));
    }
}

QTEST_GUILESS_MAIN(TestClipFiles)
#include "tst_clipstore_files.moc"
