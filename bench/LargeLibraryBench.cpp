// A library of 100,000 clips (start-up, "*", Create, Delete, the poll) and bodies at the editors'
// capacity (opening, typing and saving, refusing one character more).
#include "BenchFolder.h"
#include "BenchRegistry.h"
#include "ProbeLaunch.h"

#include "ClipTextEdit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kLibrarySize = 100000;

// Median seconds of `measured` over kRepetitions runs, each after its own untimed `prepare`.
double medianPrepared(const std::function<void(int)>& prepare, const std::function<void()>& measured)
{
    std::vector<double> samples;
    for (int run = 0; run <= kRepetitions; ++run) {
        prepare(run);
        QElapsedTimer clock;
        clock.start();
        measured();
        if (run > 0) // the first warms the caches
            samples.push_back(double(clock.nsecsElapsed()) / 1e9);
    }
    return median(samples);
}

// Presses the button with this text in every modal message box that opens while it lives.
class BoxAnswerer
{
public:
    explicit BoxAnswerer(const QString& button)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton* candidate : box->buttons()) {
                if (candidate->text() == button) {
                    candidate->click();
                    return;
                }
            }
        });
        m_timer.start(0);
    }

private:
    QTimer m_timer;
};

void bareCreate(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        qFatal("cannot create %s", path.constData());
    ::close(fd);
}

void pollTick(TForm1& window)
{
    QMetaObject::invokeMethod(window.findChild<QTimer*>(u"Timer1"_s), "timeout", Qt::DirectConnection);
}

void fillLibrary(const WindowInFolder& folder)
{
    // Names in no particular order, so the sort has work to do.
    for (int i = 0; i < kLibrarySize; ++i)
        bareCreate(folder.path() + "/clip" + QByteArray::number((i * 7919) % kLibrarySize).rightJustified(6, '0')
                   + ".txt");
}

void startUpRow(QList<BenchRow>& rows)
{
    QTemporaryDir large;
    QTemporaryDir small;
    for (int i = 0; i < kLibrarySize; ++i)
        bareCreate(QFile::encodeName(
            large.filePath(u"clip%1.txt"_s.arg((i * 7919) % kLibrarySize, 6, 10, QLatin1Char('0')))));
    for (int i = 0; i < 20; ++i)
        bareCreate(QFile::encodeName(small.filePath(u"faq%1.txt"_s.arg(i))));
    const QString probe = QCoreApplication::applicationDirPath() + u"/snipwell-startup-probe"_s;
    std::vector<double> largeSeconds;
    std::vector<double> smallSeconds;
    for (int i = 0; i <= kRepetitions; ++i) {
        const double inSmall = launch(probe, {}, small.path()).secondsToFirstPaint;
        const double inLarge = launch(probe, {}, large.path()).secondsToFirstPaint;
        if (i > 0) {
            smallSeconds.push_back(inSmall);
            largeSeconds.push_back(inLarge);
        }
    }
    const double value = median(largeSeconds);
    const double floor = median(smallSeconds);
    rows.append({ u"Process start to first paint, 100,000 clips (offscreen)"_s, value,
                  u"the same start-up, 20 clips"_s, floor, 0,
                  u"+"_s + QString::number((value - floor) * 1e3, 'f', 0) + u" ms: the list read at first show"_s });
}

void libraryRows(QList<BenchRow>& rows)
{
    WindowInFolder folder;
    fillLibrary(folder);
    TForm1& window = folder.show();
    auto* inputbox = window.findChild<QLineEdit*>(u"inputbox"_s);
    auto* list = window.findChild<QListView*>(u"FileListBox1"_s);
    auto* create = window.findChild<QPushButton*>(u"Button1"_s);
    auto* remove = window.findChild<QPushButton*>(u"Button2"_s);
    auto* newfile = window.findChild<QLineEdit*>(u"newfile"_s);
    const QByteArray& path = folder.path();

    const auto [star, starFloor]
        = medianSecondsBeside([&] { QTest::keyClick(inputbox, '*'); }, [&] { plainReaddir(path); });
    rows.append({ u"\"*\" (re-read the list), 100,000 clips"_s, star, u"plain readdir"_s, starFloor, 3, {} });

    int created = 0;
    const double createSeconds
        = medianPrepared([](int) {},
                         [&] {
                             create->click();
                             QTest::keyClicks(newfile, u"n%1"_s.arg(created++, 5, 10, QLatin1Char('0')));
                             QTest::keyClick(newfile, Qt::Key_Return);
                         });
    int floorFiles = 0;
    const double createFloor = medianPrepared([](int) {},
                                              [&] {
                                                  bareCreate(path + "/f" + QByteArray::number(floorFiles++) + ".txt");
                                                  plainReaddir(path);
                                              });
    if (!QFile::exists(QFile::decodeName(path) + u"/n00000.txt"_s))
        qFatal("Create made no clip");
    rows.append({ u"Create (make the file, re-read the list), 100,000 clips"_s,
                  createSeconds,
                  u"create one file, plain readdir"_s,
                  createFloor,
                  3,
                  {} });

    // Each run deletes one of the clips Create made, selected (and so opened) beforehand.
    const auto selectCreated = [&](int run) {
        const QString name = u"n%1.txt"_s.arg(run, 5, 10, QLatin1Char('0'));
        const QModelIndexList found
            = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
        if (found.isEmpty())
            qFatal("no entry %s", qPrintable(name));
        list->setCurrentIndex(found.first());
    };
    double deleteSeconds = 0;
    {
        const BoxAnswerer yes(u"&Yes"_s);
        deleteSeconds = medianPrepared(selectCreated, [&] { remove->click(); });
    }
    if (QFile::exists(QFile::decodeName(path) + u"/n00000.txt"_s))
        qFatal("Delete left the clip");
    int doomed = 0;
    const double deleteFloor = medianPrepared(
        [&](int run) {
            doomed = run;
            bareCreate(path + "/g" + QByteArray::number(run) + ".txt");
            bareCreate(path + "/g" + QByteArray::number(run) + ".hed");
        },
        [&] {
            ::unlink((path + "/g" + QByteArray::number(doomed) + ".txt").constData());
            ::unlink((path + "/g" + QByteArray::number(doomed) + ".hed").constData());
            plainReaddir(path);
        });
    rows.append({ u"Delete (confirm, delete both files, re-read the list), 100,000 clips"_s, deleteSeconds,
                  u"unlink two files, plain readdir"_s, deleteFloor, 3, u"the box answered at once"_s });

    // After a re-read the poll asks for the nameless clip, which no file has: the store answers
    // from its listing of the folder, read again only when the folder has changed.
    const QByteArray nameless = path + "/.txt";
    const auto [tick, tickFloor] = medianSecondsBeside([&] { pollTick(window); },
                                                       [&] {
                                                           struct stat st;
                                                           (void)::lstat(nameless.constData(), &st);
                                                       },
                                                       100);
    rows.append({ u"Poll tick, 100,000 clips, nameless clip"_s, tick, u"one bare lstat of the path"_s, tickFloor, 0,
                  u"the folder unchanged since the last tick"_s });
    int touched = 0;
    const double changedTick = medianPrepared(
        [&](int) { bareCreate(path + "/t" + QByteArray::number(touched++) + ".txt"); }, [&] { pollTick(window); });
    const double changedFloor = medianPrepared([](int) {}, [&] { plainReaddir(path); });
    rows.append({ u"Poll tick, 100,000 clips, just after the folder changed"_s, changedTick, u"plain readdir"_s,
                  changedFloor, 0, u"once per change: the letter-case index is read again"_s });
}

// A body of kEditorCapacity characters in one of three shapes.
QByteArray bodyAtCapacity(const QByteArray& shape)
{
    QByteArray unit;
    if (shape == "lines")
        unit = QByteArray(62, 'x') + "\r\n";
    else if (shape == "words")
        unit = "Dear customer, thank you for your message about the order. ";
    else
        unit = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0NTY3ODkr";
    QByteArray body = unit.repeated(kEditorCapacity / unit.size() + 1);
    body.truncate(kEditorCapacity);
    return body;
}

void capacityRows(QList<BenchRow>& rows)
{
    WindowInFolder folder;
    const QList<std::pair<QByteArray, QString>> shapes {
        { "lines", u"lines of 62 characters"_s },
        { "words", u"one line of words"_s },
        { "blob", u"one line without a space"_s },
    };
    for (const auto& [shape, described] : shapes)
        folder.write(shape + ".txt", bodyAtCapacity(shape));
    folder.write("over.txt", bodyAtCapacity("blob") + 'x');
    TForm1& window = folder.show();
    auto* inputbox = window.findChild<QLineEdit*>(u"inputbox"_s);
    auto* mainbox = window.findChild<QPlainTextEdit*>(u"mainbox"_s);
    const auto enter = [&](const QString& name) {
        QTest::keyClicks(inputbox, name);
        QTest::keyClick(inputbox, Qt::Key_Return);
    };

    // The floor: a plain editor of the body editor's size, given the text in lines of 62.
    QWidget plainWindow;
    plainWindow.resize(window.size());
    QPlainTextEdit plainEditor(&plainWindow);
    plainEditor.setGeometry(mainbox->geometry());
    plainWindow.show();
    const QByteArray linesPath = folder.path() + "/lines.txt";
    const auto plainOpen = [&] {
        const QString text = QString::fromUtf8(bareRead(linesPath));
        plainEditor.setPlainText(text);
        plainEditor.repaint();
        QGuiApplication::clipboard()->setText(text);
    };
    const QString floorName = u"bare read, plain QPlainTextEdit (lines of 62), clipboard"_s;
    for (const auto& [shape, described] : shapes) {
        const QString name = QString::fromLatin1(shape);
        const auto [seconds, floor] = medianSecondsBeside(
            [&] {
                enter(name);
                window.repaint();
            },
            plainOpen);
        if (QGuiApplication::clipboard()->text().size() != kEditorCapacity)
            qFatal("the body did not reach the clipboard");
        rows.append({ u"Enter, body at capacity, "_s + described, seconds, floorName, floor, 0,
                      u"opened, shown and copied"_s });
    }

    // One key in the middle of the body: laid out again, then saved whole at its release.
    for (const auto& [shape, described] : shapes) {
        enter(QString::fromLatin1(shape));
        pollTick(window); // enables the editors
        QTextCursor cursor = mainbox->textCursor();
        cursor.setPosition(mainbox->document()->characterCount() / 2);
        mainbox->setTextCursor(cursor);
        const QByteArray path = folder.path() + '/' + shape + ".txt";
        const QByteArray sameSize = bodyAtCapacity(shape);
        const QByteArray scratch = folder.path() + "/scratch.bin";
        const auto [seconds, floor] = medianSecondsBeside(
            [&] {
                QTest::keyClick(mainbox, Qt::Key_X);
                window.repaint();
            },
            [&] { bareAtomicWrite(scratch, sameSize); });
        if (QFileInfo(QFile::decodeName(path)).size() <= kEditorCapacity)
            qFatal("the key was not saved");
        rows.append({ u"Key typed and saved, body at capacity, "_s + described,
                      seconds,
                      u"bare atomic write of the same size"_s,
                      floor,
                      0,
                      {} });
        folder.write(shape + ".txt", sameSize);
    }

    // One character more: the body is read, refused, and the error box answered at once.
    const QByteArray overPath = folder.path() + "/over.txt";
    double refused = 0;
    double refusedFloor = 0;
    {
        const BoxAnswerer ok(u"OK"_s);
        std::tie(refused, refusedFloor) = medianSecondsBeside([&] { enter(u"over"_s); }, [&] { bareRead(overPath); });
    }
    rows.append({ u"Enter refused, one character over capacity"_s, refused, u"bare read: open, fstat, read, close"_s,
                  refusedFloor, 0, u"read, decoded, refused; the error box answered at once"_s });
}

const BenchRegistration libraryRegistration("large library", [](QList<BenchRow>& rows) {
    startUpRow(rows);
    libraryRows(rows);
});

const BenchRegistration capacityRegistration("large clips", capacityRows);

} // namespace
