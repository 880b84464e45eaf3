#include "BenchFolder.h"
#include "BenchRegistry.h"
#include "SyscallCounter.h"

#include "ClipFiles.h"
#include "ClipStore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

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
        return u"syscalls not counted"_qs;
    QString note = QString::number(*calls, 'f', 1) + u" syscalls per call"_qs;
    if (floor) {
        if (const std::optional<double> floorCalls = syscallsPerCall(floor))
            note += u" (floor "_qs + QString::number(*floorCalls, 'f', 1) + u')';
    }
    return note;
}

QString sizeName(qsizetype bytes)
{
    return bytes >= 1 << 20 ? QString::number(bytes >> 20) + u" MiB"_qs : QString::number(bytes >> 10) + u" KiB"_qs;
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
        rows.append({ u"Open clip, "_qs + sizeName(size) + u" body (open, take title, take body)"_qs, openSeconds,
                      u"bare read: open, fstat, read, close"_qs, readSeconds, 2, syscallNote(open, read) });

        const QByteArray bytes = body.toUtf8();
        const auto save = [&] { store.saveBody(body); };
        const auto write = [&] { bareAtomicWrite(bodyPath, bytes); };
        const auto [saveSeconds, writeSeconds] = medianSecondsBeside(save, write, calls);
        rows.append({ u"Save body, "_qs + sizeName(size), saveSeconds, u"bare atomic write: mkstemp, write, rename"_qs,
                      writeSeconds, 1.5, syscallNote(save, write) });
    }
    folder.leave();
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
    const QString lstatFloor = u"one bare lstat of the path"_qs;
    const auto presentRow = [&](const char* clipName, const QString& rowName, const std::function<void()>& test) {
        store.openClip(clipName);
        const auto [seconds, floor] = medianSecondsBeside(test, bareLstat, 1000);
        rows.append({ rowName, seconds, lstatFloor, floor, 0, syscallNote(test, bareLstat) });
    };
    presentRow("clip050000", u"Body present, 100,000 files, open clip"_qs, present);
    presentRow("CLIP050000", u"Body present, 100,000 files, name in other case"_qs, present);
    presentRow("", u"Body present, 100,000 files, nameless clip"_qs, absent);

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
    rows.append({ u"Body present, 100,000 files, nameless, just changed"_qs, afterChange,
                  u"create one file, plain readdir of the folder"_qs, floor, 0, u"both include creating one file"_qs });
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
        rows.append({ u"List body files, "_qs + QString::fromLatin1(files) + u" files"_qs, listSeconds,
                      u"plain readdir of the folder"_qs, readdirSeconds, 0, QString() });
    }
}

const BenchRegistration storeRows("clip store", [](QList<BenchRow>& rows) {
    QElapsedTimer clock;
    clock.start();
    Folder big;
    big.fill(100000);
    const qint64 filledAt = clock.elapsed();
    openAndSaveRows(rows);
    listRows(rows, big);
    bodyPresentRows(rows, big, filledAt, clock);
});

} // namespace
