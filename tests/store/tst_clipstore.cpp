#include "ClipError.h"
#include "ClipFiles.h"
#include "ClipStore.h"
#include "PathNames.h"

#include "ClipFolder.h"
#include "OpenedClip.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

// The store's operations as the window calls them, on a real clip folder.
class TestClipStore : public QObject
{
    Q_OBJECT

private slots:
    void openCreatesMissingTitle();
    void openWithoutBodyChangesNothing_data();
    void openWithoutBodyChangesNothing();
    void openWithDirectoryAsTitle();
    void textsSurviveReadAndSave();
    void encodingsAndMarksRoundTrip_data();
    void encodingsAndMarksRoundTrip();
    void typedCharacterOutsideCodePageSavesUtf8();
    void saveWritesOnlyWhereItMay();
    void previousClipTextIsNeverSaved();
    void lettersOfAnyCase();
    void nameNotValidUtf8();
    void saveCutShortKeepsOldText();
    void createClip_data();
    void createClip();
    void deleteClip_data();
    void deleteClip();
    void bodyPresentFollowsFolder();
    void pathsAtTheRoot();
};

void TestClipStore::openCreatesMissingTitle()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::write("faq1.txt", "Dear sir,\r\n"));
    ClipStore store;
    int calls = 0;
    QCOMPARE(store.openClip("faq1", [&] { ++calls; }), OpenOutcome::Found);
    QCOMPARE(calls, 1);
    QCOMPARE(store.currentTitlePath(), folder.pathOf("faq1.hed"));
    QCOMPARE(store.currentBodyPath(), folder.pathOf("faq1.txt"));
    QCOMPARE(ClipFolder::read("faq1.hed"), QByteArray(""));
    QCOMPARE(store.takeTitleText(), QString(""));
    QCOMPARE(store.takeBodyText(), u"Dear sir,\r\n"_s);
    QVERIFY(store.bodyPresent());

    // An existing title is never rewritten by opening.
    QVERIFY(ClipFolder::write("faq1.hed", "Title"));
    QCOMPARE(store.openClip("faq1", [&] { ++calls; }), OpenOutcome::Found);
    QCOMPARE(calls, 1);
    QCOMPARE(store.takeTitleText(), u"Title"_s);
}

void TestClipStore::openWithoutBodyChangesNothing_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("title only") << QByteArray("f:x.hed=Orphan");
    QTest::newRow("directory as body") << QByteArray("d:x.txt");
    QTest::newRow("FIFO as body") << QByteArray("p:x.txt");
}

void TestClipStore::openWithoutBodyChangesNothing()
{
    QFETCH(QByteArray, entries);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    const QList<QByteArray> before = folder.names();
    ClipStore store;
    QCOMPARE(store.openClip("x", [] { QFAIL("title must not be touched"); }), OpenOutcome::NotFound);
    QCOMPARE(store.currentTitlePath(), folder.pathOf("x.hed"));
    QCOMPARE(store.currentBodyPath(), folder.pathOf("x.txt"));
    QVERIFY(!store.bodyPresent());
    QCOMPARE(folder.names(), before);
    if (before.contains("x.hed"))
        QCOMPARE(ClipFolder::read("x.hed"), QByteArray("Orphan"));
}

void TestClipStore::openWithDirectoryAsTitle()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:x.txt d:x.hed"));
    ClipStore store;
    QCOMPARE(errorMessageOf([&] { store.openClip("x"); }),
             u"Cannot create file "_s + QString::fromUtf8(folder.pathOf("x.hed")));
    QCOMPARE(store.currentBodyPath(), folder.pathOf("x.txt"));
}

void TestClipStore::textsSurviveReadAndSave()
{
    // Windows-1252 with the undefined bytes and a no-break space, lone LFs.
    const QByteArray windows1252("\x93"
                                 "caf\xe9\xa0\x81\x8d\x8f\x90\x9d\x80\x94\nb\n");
    const QString text = u"\u201ccafé\u00a0\u0081\u008d\u008f\u0090\u009d€\u201d\r\nb\r\n"_s;
    const QByteArray saved("\x93"
                           "caf\xe9\xa0\x81\x8d\x8f\x90\x9d\x80\x94\r\nb\r\n");
    ClipFolder folder;
    QVERIFY(ClipFolder::write("c.txt", windows1252));
    QVERIFY(ClipFolder::write("c.hed",
                              "\xef\xbb\xbf"
                              "BOM"));
    ClipStore store;
    QCOMPARE(openedTexts(store, "c"), (QStringList { u"BOM"_s, text }));
    store.saveTitle(u"BOM"_s);
    store.saveBody(text);
    QCOMPARE(ClipFolder::read("c.hed"),
             QByteArray("\xef\xbb\xbf"
                        "BOM"));
    QCOMPARE(ClipFolder::read("c.txt"), saved);
}

void TestClipStore::encodingsAndMarksRoundTrip_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    // The file after saving text + typed; null when the save must be refused.
    QTest::addColumn<QByteArray>("saved");
    const auto bytes = [](const char* data, qsizetype size) { return QByteArray(data, size); };

    const QByteArray littleEndian = bytes("\xff\xfeH\0i\0\r\0\n\0", 10);
    QTest::newRow("UTF-16 LE, unchanged") << littleEndian << u"Hi\r\n"_s << QString() << littleEndian;
    QTest::newRow("UTF-16 LE, lone LF, typed é")
        << bytes("\xff\xfeH\0\n\0", 6) << u"H\r\n"_s << u"é"_s << bytes("\xff\xfeH\0\r\0\n\0\xe9\0", 10);
    const QByteArray bigEndian = bytes("\xfe\xff\0H\0i\xd8\x3d\xde\x00", 10);
    QTest::newRow("UTF-16 BE with a surrogate pair, unchanged") << bigEndian << u"Hi\U0001F600"_s << QString() << bigEndian;
    QTest::newRow("UTF-16, empty") << bytes("\xff\xfe", 2) << QString() << u"a"_s << bytes("\xff\xfe" "a\0", 4);
    QTest::newRow("UTF-8 with mark") << QByteArray("\xef\xbb\xbf" "caf\xc3\xa9") << u"café"_s << u"!"_s
                                     << QByteArray("\xef\xbb\xbf" "caf\xc3\xa9!");
    QTest::newRow("a UTF-8 mark before Windows-1252") << QByteArray("\xef\xbb\xbf\xe9") << u"ï»¿é"_s << QString()
                                                      << QByteArray("\xef\xbb\xbf\xe9");
    // Cut texts: the rest of the file would be lost by a save.
    QTest::newRow("zero byte") << bytes("ab\0cd", 5) << u"ab"_s << QString() << QByteArray();
    QTest::newRow("UTF-16, zero character") << bytes("\xff\xfe" "a\0\0\0b\0", 8) << u"a"_s << QString()
                                            << QByteArray();
    QTest::newRow("UTF-16, odd byte left over") << bytes("\xff\xfe" "a\0b", 5) << u"a"_s << QString() << QByteArray();
}

void TestClipStore::encodingsAndMarksRoundTrip()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);

    ClipFolder folder;
    QVERIFY(ClipFolder::write("n.txt", raw));
    ClipStore store;
    QCOMPARE(store.openClip("n"), OpenOutcome::Found);
    QCOMPARE(store.takeBodyText(), text);
    const QString error = errorMessageOf([&] { store.saveBody(text + typed); });
    if (saved.isNull()) {
        QCOMPARE(error, u"Cannot create file "_s + QString::fromUtf8(folder.pathOf("n.txt")));
        QCOMPARE(ClipFolder::read("n.txt"), raw);
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(ClipFolder::read("n.txt"), saved);
    }
}

void TestClipStore::typedCharacterOutsideCodePageSavesUtf8()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::write("c.txt", "caf\xe9"));
    ClipStore store;
    QCOMPARE(store.openClip("c"), OpenOutcome::Found);
    const QString text = store.takeBodyText();
    store.saveBody(text + u"€"_s);
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray("caf\xe9\x80"));
    store.saveBody(text + u"ł"_s);
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray("caf\xc3\xa9\xc5\x82"));
    // Once UTF-8, the file stays UTF-8 even when the text would fit the code page again.
    store.saveBody(text);
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray("caf\xc3\xa9"));
}

void TestClipStore::saveWritesOnlyWhereItMay()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:c.txt=body f:c.hed=title"));
    ClipStore store;
    QVERIFY(!openedTexts(store, "c").isEmpty());

    store.saveBody(QString());
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray(""));

    QCOMPARE(::unlink("c.txt"), 0);
    QCOMPARE(::unlink("c.hed"), 0);
    store.saveBody(u"gone"_s);
    store.saveTitle(u"gone"_s);
    QCOMPARE(folder.listing(), QByteArray());

    QVERIFY(ClipFolder::make("r:c.txt=locked f:c.hed=title"));
    QCOMPARE(errorMessageOf([&] { store.saveBody(u"new"_s); }),
             u"Cannot create file "_s + QString::fromUtf8(folder.pathOf("c.txt")));
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray("locked"));
    QCOMPARE(ClipFolder::mode("c.txt") & 07777, mode_t(0444));
    // Same paths, file back: saving resumes.
    store.saveTitle(u"new"_s);
    QCOMPARE(ClipFolder::read("c.hed"), QByteArray("new"));
}

void TestClipStore::previousClipTextIsNeverSaved()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:a.txt=A f:a.hed=At f:c.txt=C p:c.hed"));
    ClipStore store;
    QVERIFY(!openedTexts(store, "a").isEmpty());

    // Not found, then the files appear: still not the texts read from a.
    QCOMPARE(store.openClip("b"), OpenOutcome::NotFound);
    QVERIFY(ClipFolder::make("f:b.txt=B f:b.hed=Bt"));
    store.saveTitle(u"At"_s);
    store.saveBody(u"A"_s);
    QCOMPARE(ClipFolder::read("b.hed"), QByteArray("Bt"));
    QCOMPARE(ClipFolder::read("b.txt"), QByteArray("B"));

    // Found, but the opening failed before the texts were read.
    QVERIFY(!errorMessageOf([&] { store.openClip("c"); }).isEmpty());
    store.saveBody(u"A"_s);
    QCOMPARE(ClipFolder::read("c.txt"), QByteArray("C"));

    // Found, title read, body not: only the title may be saved.
    QCOMPARE(store.openClip("b"), OpenOutcome::Found);
    store.takeTitleText();
    store.saveTitle(u"Bt2"_s);
    store.saveBody(u"A"_s);
    QCOMPARE(ClipFolder::read("b.hed"), QByteArray("Bt2"));
    QCOMPARE(ClipFolder::read("b.txt"), QByteArray("B"));
}

void TestClipStore::lettersOfAnyCase()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:FAQ1.TXT=body f:FAQ1.HED=title"));
    ClipStore store;
    QCOMPARE(openedTexts(store, "faq1", [] { QFAIL("the title exists"); }), (QStringList { u"title"_s, u"body"_s }));
    store.saveTitle(u"title2"_s);
    store.saveBody(u"body2"_s);
    QCOMPARE(folder.listing(), QByteArray("FAQ1.HED FAQ1.TXT"));
    QCOMPARE(ClipFolder::read("FAQ1.HED"), QByteArray("title2"));
    QCOMPARE(ClipFolder::read("FAQ1.TXT"), QByteArray("body2"));

    store.deleteClip(store.currentBodyPath());
    QCOMPARE(folder.listing(), QByteArray());
}

void TestClipStore::nameNotValidUtf8()
{
    ClipFolder folder;
    QVERIFY(ClipFolder::make("f:caf\xe9.txt=body"));
    ClipStore store;
    QCOMPARE(store.openClip("caf\xe9"), OpenOutcome::Found);
    QCOMPARE(folder.listing(), QByteArray("caf\xe9.hed caf\xe9.txt"));
    store.takeTitleText();
    store.takeBodyText();
    store.saveTitle(u"t"_s);
    store.saveBody(u"b"_s);
    QCOMPARE(ClipFolder::read("caf\xe9.hed"), QByteArray("t"));
    QCOMPARE(ClipFolder::read("caf\xe9.txt"), QByteArray("b"));
    store.deleteClip(folder.pathOf("caf\xe9.txt"));
    QCOMPARE(folder.listing(), QByteArray());
}

void TestClipStore::saveCutShortKeepsOldText()
{
    ClipFolder folder;
    const QByteArray old(3000, 'o');
    QVERIFY(ClipFolder::write("big.txt", old));
    QVERIFY(ClipFolder::write("big.hed", "t"));

    const QByteArray report = runInChild([] {
        // Writes past 4 KiB fail with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return QByteArray("no limit");
        ClipStore store;
        try {
            store.openClip("big");
            store.takeBodyText();
            store.saveBody(QString(20000, u'n'));
        } catch (const ClipError& error) {
            return error.message().toUtf8();
        }
        return QByteArray("saved");
    });
    QCOMPARE(report, QByteArray("Stream write error"));
    QCOMPARE(ClipFolder::read("big.txt"), old);
    QCOMPARE(folder.listing(), QByteArray("big.hed big.txt"));
}

void TestClipStore::createClip_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<CreateOutcome>("outcome");
    QTest::addColumn<QByteArray>("listing");
    const auto row = [](const char* tag, const QByteArray& entries, const QByteArray& name, CreateOutcome outcome,
                        const QByteArray& listing) { QTest::newRow(tag) << entries << name << outcome << listing; };
    const auto created = CreateOutcome::Created;
    const auto exists = CreateOutcome::AlreadyExists;
    const auto failed = CreateOutcome::Failed;
    row("new", "", "Faq1", created, "Faq1.txt");
    row("existing", "f:abc.txt=keep", "abc", exists, "abc.txt");
    row("existing in other case", "f:ABC.TXT=keep", "abc", exists, "ABC.TXT");
    row("nameless", "", "", created, ".txt");
    row("directory", "d:abc.txt", "abc", failed, "abc.txt");
    row("star matching a file", "f:abc.txt=keep", "a*", exists, "abc.txt");
    row("star matching nothing", "", "a*", failed, "");
    row("star matching a directory first", "d:aa.txt f:ab.txt=keep", "a*", failed, "aa.txt ab.txt");
    row("colon", "", "a:b", failed, "");
    row("tab", "", "a\tb", failed, "");
    row("into a subfolder", "d:sub", "sub/x", created, "sub");
    row("into a missing subfolder", "", "sub/x", failed, "");
}

void TestClipStore::createClip()
{
    QFETCH(QByteArray, entries);
    QFETCH(QByteArray, name);
    QFETCH(CreateOutcome, outcome);
    QFETCH(QByteArray, listing);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    ClipStore store;
    store.openClip("other");
    QCOMPARE(store.createClip(name), outcome);
    QCOMPARE(folder.listing(), listing);
    QCOMPARE(store.currentBodyPath(), folder.pathOf("other.txt"));
    if (outcome == CreateOutcome::Created)
        QCOMPARE(ClipFolder::read(name + ".txt"), QByteArray(""));
    for (const QByteArray& file : folder.names()) {
        if (outcome != CreateOutcome::Created && S_ISREG(ClipFolder::mode(file)))
            QCOMPARE(ClipFolder::read(file), QByteArray("keep"));
    }
}

void TestClipStore::deleteClip_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("listing");
    const auto row = [](const char* tag, const QByteArray& entries, const QByteArray& body, const QByteArray& listing) {
        QTest::newRow(tag) << entries << body << listing;
    };
    row("both files", "f:a.txt f:a.hed f:b.txt f:b.hed", "a.txt", "b.hed b.txt");
    row("no title", "f:a.txt", "a.txt", "");
    row("title in other case", "f:a.txt f:A.HED", "a.txt", "");
    row("read-only body", "r:a.txt f:a.hed", "a.txt", "a.txt");
    row("read-only title", "f:a.txt r:a.hed", "a.txt", "a.hed");
    row("two dots", "f:a.b.txt f:a.b.hed f:a.hed", "a.b.txt", "a.hed");
    row("nameless", "f:.txt f:.hed f:x.hed", ".txt", "x.hed");
    row("star in the name is no pattern", "f:a*.txt f:abc.hed", "a*.txt", "abc.hed");
}

void TestClipStore::deleteClip()
{
    QFETCH(QByteArray, entries);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, listing);

    ClipFolder folder;
    QVERIFY(ClipFolder::make(entries));
    ClipStore store;
    store.openClip("b");
    store.deleteClip(folder.pathOf(body));
    QCOMPARE(folder.listing(), listing);
    QCOMPARE(store.currentTitlePath(), QByteArray());
    QCOMPARE(store.currentBodyPath(), QByteArray());
    QVERIFY(!store.bodyPresent());
}

void TestClipStore::bodyPresentFollowsFolder()
{
    ClipFolder folder;
    ClipStore store;
    QVERIFY(!store.bodyPresent());
    store.openClip(QByteArray());
    QCOMPARE(store.currentBodyPath(), folder.pathOf(".txt"));
    QCOMPARE(store.currentTitlePath(), folder.pathOf(".hed"));
    QVERIFY(!store.bodyPresent());

    store.openClip("faq1");
    const struct
    {
        const char* change;
        bool present;
    } steps[] = { { "f:other.txt", false }, { "f:FAQ1.TXT", true }, { "-FAQ1.TXT", false }, { "d:faq1.txt", false },
                  { "-faq1.txt", false },   { "f:Faq1.Txt", true }, { "-Faq1.Txt", false }, { "p:faq1.txt", false } };
    for (const auto& step : steps) {
        if (step.change[0] == '-')
            QCOMPARE(::remove(step.change + 1), 0);
        else
            QVERIFY(ClipFolder::make(step.change));
        QVERIFY2(store.bodyPresent() == step.present, step.change);
    }
    store.clearCurrentPaths();
    QVERIFY(!store.bodyPresent());
    QCOMPARE(store.currentBodyPath(), QByteArray());
}

void TestClipStore::pathsAtTheRoot()
{
    const char* candidates[] = { "etc/passwd", "etc/hostname", "etc/os-release" };
    QByteArray file;
    for (const char* candidate : candidates) {
        if (ClipFolder::mode(QByteArray("/") + candidate) != 0) {
            file = candidate;
            break;
        }
    }
    if (file.isEmpty())
        QSKIP("no well-known file at the root");

    ClipFolder back; // restores the current directory afterwards
    QCOMPARE(::chdir("/"), 0);
    QCOMPARE(ClipFiles::currentDirectory(), QByteArray("/"));
    ClipStore store;
    QCOMPARE(store.openClip("snipwell-no-such-clip"), OpenOutcome::NotFound);
    QCOMPARE(store.currentBodyPath(), QByteArray("//snipwell-no-such-clip.txt"));
    QVERIFY(!store.bodyPresent());
    QCOMPARE(ClipFolder::mode("/snipwell-no-such-clip.hed"), mode_t(0));

    const QByteArray doubled = PathNames::join("/", file);
    QCOMPARE(doubled, "//" + file);
    QVERIFY(ClipFiles::exists(doubled));
    QVERIFY(ClipFiles::exists(PathNames::join("/", "etc/" + PathNames::fileNamePart(file).toUpper())));
    QCOMPARE(ClipFiles::readAll(doubled), ClipFolder::read("/" + file));
}

QTEST_GUILESS_MAIN(TestClipStore)
#include "tst_clipstore.moc"
