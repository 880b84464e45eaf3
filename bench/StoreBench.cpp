#include "BenchFolder.h"
#include "BenchRegistry.h"
#include "SyscallCounter.h"

#include "ClipError.h"
#include "ClipFiles.h"
#include "ClipStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Clip folders for the rows below, current while a row runs.
class Folder
{
public:
    Folder()
        : m_path(QFile::encodeName(m_dir.path()))
    {
        char* cwd = ::getcwd(nullptr, 0);
        m_previous = QByteArray(cwd);
        std::free(cwd);
    }
    ~Folder() { leave(); }

    const QByteArray& path() const { return m_path; }
    void enter() const
    {
        if (::chdir(m_path.constData()) != 0)
            qFatal("cannot enter %s", m_path.constData());
    }
    void leave() const { (void)!::chdir(m_previous.constData()); }

    void write(const QByteArray& name, const QByteArray& bytes) const
    {
        const int fd = ::open((m_path + '/' + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qFatal("cannot write %s", name.constData());
        ::close(fd);
    }

    void fill(int files) const
    {
        for (int i = 0; i < files; ++i)
            write("clip" + QByteArray::number(i).rightJustified(6, '0') + ".txt", QByteArray());
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
    QByteArray m_previous;
};

// Text like a clip's: lines of about 60 characters, mostly ASCII with some accented letters,
// CR LF between lines, as the store saves it.
QByteArray clipText(qsizetype size)
{
    static const QByteArray line
        = QByteArrayLiteral("Dear customer, thank you for your message about the caf\xc3\xa9.\r\n");
    QByteArray text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    text.truncate(size - 2);
    text += "\r\n";
    return text;
}

// The floor of Open clip: the bare system calls that read the body.
void bareRead(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        qFatal("bare read failed");
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    if (::read(fd, bytes.data(), size_t(st.st_size)) != st.st_size)
        qFatal("bare read came short");
    ::close(fd);
}

// "n syscalls (floor m)", counted in a traced child.
QString syscallNote(const std::function<void()>& call, const std::function<void()>& floor = {})
{
    const std::optional<double> calls = syscallsPerCall(call);
    if (!calls)
        return u"syscalls not counted"_s;
    QString note = QString::number(*calls, 'f', 1) + u" syscalls per call"_s;
    if (floor) {
        if (const std::optional<double> floorCalls = syscallsPerCall(floor))
            note += u" (floor "_s + QString::number(*floorCalls, 'f', 1) + u')';
    }
    return note;
}

QString sizeName(qsizetype bytes)
{
    return bytes >= 1 << 20 ? QString::number(bytes >> 20) + u" MiB"_s : QString::number(bytes >> 10) + u" KiB"_s;
}

void openAndSaveRows(QList<BenchRow>& rows)
{
    Folder folder;
    folder.enter();
    for (const qsizetype size : { qsizetype(1) << 10, qsizetype(100) << 10, qsizetype(1) << 20 }) {
        folder.write("body.txt", clipText(size));
        folder.write("body.hed", QByteArrayLiteral("Answer about the caf\xc3\xa9"));
        const QByteArray bodyPath = folder.path() + "/body.txt";
        const int calls = size < (100 << 10) ? 200 : 10;

        ClipStore store;
        QString body;
        const auto open = [&] {
            store.openClip("body");
            store.takeTitleText();
            body = store.takeBodyText();
        };
        const auto read = [&] { bareRead(bodyPath.constData()); };
        const auto [openSeconds, readSeconds] = medianSecondsBeside(open, read, calls);
        rows.append({ u"Open clip, "_s + sizeName(size) + u" body (open, take title, take body)"_s, openSeconds,
                      u"bare read: open, fstat, read, close"_s, readSeconds, 2, syscallNote(open, read) });

        const QByteArray bytes = body.toUtf8();
        const auto save = [&] { store.saveBody(body); };
        const auto write = [&] { bareAtomicWrite(bodyPath, bytes); };
        const auto [saveSeconds, writeSeconds] = medianSecondsBeside(save, write, calls);
        rows.append({ u"Save body, "_s + sizeName(size), saveSeconds,
                      u"bare atomic write: mkstemp, write, fdatasync, rename"_s, writeSeconds, 1.5,
                      syscallNote(save, write) });
    }
    folder.leave();
}

// What the open probe reported: medians over kRepetitions launches, each a fresh process.
struct Opening
{
    double resident = 0; // just before opening
    double peak = 0; // while opening
    QByteArray outcome; // the body's length in characters, or the error's message
};

Opening openInFreshProcess(const Folder& folder, const QString& clip)
{
    const QString probe = QCoreApplication::applicationDirPath() + u"/snipwell-open-probe"_s;
    std::vector<double> resident;
    std::vector<double> peak;
    Opening opening;
    for (int i = 0; i < kRepetitions; ++i) {
        QProcess process;
        process.setWorkingDirectory(QFile::decodeName(folder.path()));
        process.start(probe, { clip });
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            qFatal("%s failed:\n%s", qPrintable(probe), process.readAllStandardError().constData());
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() < 3)
            qFatal("%s reported nothing", qPrintable(probe));
        resident.push_back(fields[0].toDouble());
        peak.push_back(fields[1].toDouble());
        opening.outcome = fields.mid(2).join(' ');
    }
    opening.resident = median(resident);
    opening.peak = median(peak);
    return opening;
}

// A body far over the limit is refused by its size alone, before any of it is read; one just
// inside is read and decoded, in a small multiple of its size.
void oversizeRows(QList<BenchRow>& rows)
{
    Folder folder;
    folder.enter();
    folder.write("huge.hed", "Far too large");
    const QByteArray hugePath = folder.path() + "/huge.txt";
    const int hugeFd = ::open(hugePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (hugeFd < 0 || ::ftruncate(hugeFd, 200'000'000) != 0) // sparse: no disk written
        qFatal("cannot make %s", hugePath.constData());
    ::close(hugeFd);

    ClipStore store;
    const auto refuse = [&] {
        store.openClip("huge");
        try {
            store.takeBodyText();
        } catch (const ClipError& error) {
            if (error.message() == u"Text exceeds memo capacity"_s)
                return;
            qFatal("%s", error.what());
        }
        qFatal("a 200 MB body was taken");
    };
    const auto bareOpen = [&] {
        const int fd = ::open(hugePath.constData(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0)
            qFatal("bare open failed");
        ::close(fd);
    };
    const auto [seconds, floor] = medianSecondsBeside(refuse, bareOpen, 200);
    rows.append({ u"Refuse a 200 MB body by its size (open, take body)"_s, seconds, u"bare open, fstat, close"_s,
                  floor, 0, syscallNote(refuse, bareOpen) });

    const QString method = u"a fresh process per run: VmHWM after, VmRSS before"_s;
    const Opening refusing = openInFreshProcess(folder, u"huge"_s);
    if (refusing.outcome != "Text exceeds memo capacity")
        qFatal("the 200 MB body was not refused by its size: %s", refusing.outcome.constData());
    rows.append({ u"Peak resident memory, refusing the 200 MB body"_s, refusing.peak, u"resident before it"_s,
                  refusing.resident, 0, method, BenchUnit::Bytes });

    // Longer than the editors take (the window refuses it later), but not by its size: the
    // store reads it.
    constexpr qsizetype kInside = qsizetype(12) << 20;
    folder.write("inside.txt", (QByteArray(62, 'x') + "\r\n").repeated(kInside / 64));
    folder.write("inside.hed", "Just inside the limit");
    const Opening reading = openInFreshProcess(folder, u"inside"_s);
    if (reading.outcome != QByteArray::number(kInside))
        qFatal("the 12 MiB body was not read whole: %s", reading.outcome.constData());
    rows.append({ u"Peak resident memory growth, opening a 12 MiB ASCII body"_s, reading.peak - reading.resident,
                  u"the file's size"_s, double(kInside), 0, u"growth over resident before it, "_s + method,
                  BenchUnit::Bytes });
    folder.leave();
}

// Typing saves the body at each key. A clip opened by a name in another letter case keeps the
// name as spelt on disk, so a save never lists the folder, however many clips it holds.
void caseTypingRows(QList<BenchRow>& rows, const Folder& big)
{
    Folder small;
    small.fill(19);
    const QByteArray body = clipText(1 << 10);
    const QString texts[2] = { QString::fromUtf8(body), QString::fromUtf8(body).toUpper() };
    ClipStore inBig;
    ClipStore inSmall;
    const std::pair<const Folder*, ClipStore*> clips[] = { { &big, &inBig }, { &small, &inSmall } };
    for (const auto& [folder, store] : clips) {
        folder->write("FAQ1.TXT", body);
        folder->write("FAQ1.HED", "Frequent question");
        folder->enter();
        store->openClip("faq1"); // as the user typed it
        store->takeTitleText();
        store->takeBodyText();
        folder->leave();
    }
    int keys = 0;
    const auto typeIn = [&](ClipStore& store) { store.saveBody(texts[++keys % 2]); };
    const auto typeInBig = [&] { typeIn(inBig); };
    const auto typeInSmall = [&] { typeIn(inSmall); };
    // The file system's share differs between the folders (creating and renaming among 100,000
    // names, where each folder's files lie on disk): a bare write in each tells it from the store's.
    const auto bareWriteIn = [&](const Folder& folder) { bareAtomicWrite(folder.path() + "/scratch.txt", body); };
    const std::vector<double> medians = medianSecondsInTurn(
        { typeInSmall, typeInBig, [&] { bareWriteIn(small); }, [&] { bareWriteIn(big); } }, 20, BenchClock::ProcessCpu);
    if (QFile::exists(QFile::decodeName(big.path() + "/faq1.txt")))
        qFatal("the save made a second file in another letter case");
    const auto us = [](double seconds) { return QString::number(seconds * 1e6, 'f', 0) + u" us"_s; };
    rows.append({ u"Key typed in FAQ1.TXT opened as faq1 (save 1 KiB body), CPU time, 100,000 clips"_s, medians[1],
                  u"the same, 20 clips"_s, medians[0], 1.5,
                  u"CPU time, not wall (saves fdatasync); bare atomic write "_s + us(medians[3]) + u", in the 20 "_s
                      + us(medians[2]) + u"; "_s + syscallNote(typeInBig, typeInSmall) });
}

void bodyPresentRows(QList<BenchRow>& rows, const Folder& big, qint64 filledAtMs, const QElapsedTimer& clock)
{
    // A folder's listing is trusted once its last change is two seconds old.
    const qint64 settled = filledAtMs + 2100 - clock.elapsed();
    if (settled > 0)
        QThread::msleep(ulong(settled));
    big.enter();
    ClipStore store;
    const auto present = [&] {
        if (!store.bodyPresent())
            qFatal("body missing");
    };
    const auto absent = [&] {
        if (store.bodyPresent())
            qFatal("nameless body present");
    };

    // The floor: the one lstat that any existence test makes of the path as built.
    const auto bareLstat = [&] {
        struct stat st;
        (void)::lstat(store.currentBodyPath().constData(), &st);
    };
    const QString lstatFloor = u"one bare lstat of the path"_s;
    const auto presentRow = [&](const char* clipName, const QString& rowName, const std::function<void()>& test) {
        store.openClip(clipName);
        const auto [seconds, floor] = medianSecondsBeside(test, bareLstat, 1000);
        rows.append({ rowName, seconds, lstatFloor, floor, 0, syscallNote(test, bareLstat) });
    };
    presentRow("clip050000", u"Body present, 100,000 files, open clip"_s, present);
    presentRow("CLIP050000", u"Body present, 100,000 files, name in other case"_s, present);
    presentRow("", u"Body present, 100,000 files, nameless clip"_s, absent);

    // Right after a change the folder is listed again (and until the change is two seconds old).
    int serial = 0;
    const auto createOne = [&] { big.write("changed" + QByteArray::number(serial++), QByteArray()); };
    const auto [afterChange, floor] = medianSecondsBeside(
        [&] {
            createOne();
            absent();
        },
        [&] {
            createOne();
            plainReaddir(big.path());
        });
    rows.append({ u"Body present, 100,000 files, nameless, just changed"_s, afterChange,
                  u"create one file, plain readdir of the folder"_s, floor, 0, u"both include creating one file"_s });
    big.leave();
}

void listRows(QList<BenchRow>& rows, const Folder& big)
{
    Folder thousand;
    thousand.fill(1000);
    Folder tenThousand;
    tenThousand.fill(10000);
    const std::pair<const Folder*, const char*> folders[]
        = { { &thousand, "1,000" }, { &tenThousand, "10,000" }, { &big, "100,000" } };
    for (const auto& [folder, files] : folders) {
        const QByteArray path = folder->path();
        const auto [listSeconds, readdirSeconds]
            = medianSecondsBeside([&] { ClipFiles::listBodyFiles(path); }, [&] { plainReaddir(path); });
        rows.append({ u"List body files, "_s + QString::fromLatin1(files) + u" files"_s, listSeconds,
                      u"plain readdir of the folder"_s, readdirSeconds, 0, QString() });
    }
}

const BenchRegistration storeRows("clip store", [](QList<BenchRow>& rows) {
    QElapsedTimer clock;
    clock.start();
    Folder big;
    big.fill(100000);
    const qint64 filledAt = clock.elapsed();
    openAndSaveRows(rows);
    oversizeRows(rows);
    listRows(rows, big);
    bodyPresentRows(rows, big, filledAt, clock);
    caseTypingRows(rows, big);
});

} // namespace
