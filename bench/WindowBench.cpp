#include "BenchRegistry.h"

#include "ClipFiles.h"
#include "TForm1.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// A clip folder made current, with the main window built and shown in it.
class WindowInFolder
{
public:
    WindowInFolder()
    {
        char* cwd = ::getcwd(nullptr, 0);
        m_previous = QByteArray(cwd);
        std::free(cwd);
        m_path = QFile::encodeName(m_dir.path());
        if (::chdir(m_path.constData()) != 0)
            qFatal("cannot enter %s", m_path.constData());
    }
    ~WindowInFolder()
    {
        m_window.reset();
        (void)!::chdir(m_previous.constData());
    }

    void write(const QByteArray& name, const QByteArray& bytes) const
    {
        const int fd = ::open((m_path + '/' + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qFatal("cannot write %s", name.constData());
        ::close(fd);
    }

    TForm1& show()
    {
        m_window = std::make_unique<TForm1>();
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qFatal("the main window was not shown");
        return *m_window;
    }

    const QByteArray& path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
    QByteArray m_previous;
    std::unique_ptr<TForm1> m_window;
};

void plainReaddir(const QByteArray& path)
{
    DIR* dir = ::opendir(path.constData());
    qsizetype count = 0;
    while (::readdir(dir))
        ++count;
    ::closedir(dir);
    if (count == 0)
        qFatal("empty folder");
}

QByteArray bareRead(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        qFatal("cannot open %s", path.constData());
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    if (::read(fd, bytes.data(), size_t(st.st_size)) != st.st_size)
        qFatal("short read of %s", path.constData());
    ::close(fd);
    return bytes;
}

void refreshRows(QList<BenchRow>& rows)
{
    for (const int files : { 1000, 10000, 100000 }) {
        WindowInFolder folder;
        // Names in no particular order, so the sort has work to do.
        for (int i = 0; i < files; ++i)
            folder.write("Clip" + QByteArray::number((i * 7919) % files).rightJustified(6, '0') + ".txt", {});
        TForm1& window = folder.show();
        const QString count = QString::number(files);
        // In turns, so that the list's share (the difference) is not a difference of two machines.
        const std::vector<double> medians
            = medianSecondsInTurn({ [&] { ClipFiles::listBodyFiles(folder.path()); }, [&] { window.refreshClipList(); },
                                    [&] { plainReaddir(folder.path()); } });
        const double list = medians[0];
        const double refresh = medians[1];
        const double floor = medians[2];
        rows.append(
            { u"Read and sort the folder, "_qs + count + u" clips"_qs, list, u"plain readdir"_qs, floor, 0, {} });
        rows.append({ u"Refresh clip list (read, sort, fill), "_qs + count + u" clips"_qs, refresh, u"plain readdir"_qs,
                      floor, 3,
                      u"filling the list: "_qs + QString::number((refresh - list) * 1e3, 'f', 2) + u" ms"_qs });
    }
}

void enterToClipboardRows(QList<BenchRow>& rows)
{
    WindowInFolder folder;
    const QByteArray line = QByteArrayLiteral("Dear customer, thank you for your message about the order.\r\n");
    for (const int kib : { 100, 1024 }) {
        QByteArray body;
        while (body.size() < kib * 1024)
            body += line;
        body.truncate(kib * 1024);
        folder.write("big" + QByteArray::number(kib) + ".txt", body);
    }
    TForm1& window = folder.show();
    auto* inputbox = window.findChild<QLineEdit*>(u"inputbox"_qs);
    auto* mainbox = window.findChild<QPlainTextEdit*>(u"mainbox"_qs);
    // The floor: a plain editor of the body editor's size, shown beside the window.
    QWidget plainWindow;
    plainWindow.resize(window.size());
    QPlainTextEdit plainEditor(&plainWindow);
    plainEditor.setGeometry(mainbox->geometry());
    plainWindow.show();
    for (const int kib : { 100, 1024 }) {
        const QString name = u"big"_qs + QString::number(kib);
        const QByteArray path = folder.path() + "/big" + QByteArray::number(kib) + ".txt";
        const auto [seconds, floor] = medianSecondsBeside(
            [&] {
                QTest::keyClicks(inputbox, name);
                QTest::keyClick(inputbox, Qt::Key_Return);
            },
            [&] {
                const QString text = QString::fromUtf8(bareRead(path));
                plainEditor.setPlainText(text);
                QGuiApplication::clipboard()->setText(text);
            });
        // Each turn ends with the Enter.
        if (QGuiApplication::clipboard()->text().size() < kib * 1024)
            qFatal("the body did not reach the clipboard");
        rows.append({ u"Enter to clipboard, "_qs + QString::number(kib) + u" KiB body"_qs, seconds,
                      u"bare read, plain QPlainTextEdit, clipboard"_qs, floor, 0,
                      kib == 100 ? u"aim: under 20 ms"_qs : QString() });
    }
}

const BenchRegistration windowRows("main window", [](QList<BenchRow>& rows) {
    refreshRows(rows);
    enterToClipboardRows(rows);
});

} // namespace
