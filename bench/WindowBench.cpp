#include "BenchFolder.h"
#include "BenchRegistry.h"

#include "ClipFiles.h"
#include "TForm1.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

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
            { u"Read and sort the folder, "_s + count + u" clips"_s, list, u"plain readdir"_s, floor, 0, {} });
        rows.append({ u"Refresh clip list (read, sort, fill), "_s + count + u" clips"_s, refresh, u"plain readdir"_s,
                      floor, 3,
                      u"filling the list: "_s + QString::number((refresh - list) * 1e3, 'f', 2) + u" ms"_s });
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
    auto* inputbox = window.findChild<QLineEdit*>(u"inputbox"_s);
    auto* mainbox = window.findChild<QPlainTextEdit*>(u"mainbox"_s);
    // The floor: a plain editor of the body editor's size, shown beside the window.
    QWidget plainWindow;
    plainWindow.resize(window.size());
    QPlainTextEdit plainEditor(&plainWindow);
    plainEditor.setGeometry(mainbox->geometry());
    plainWindow.show();
    for (const int kib : { 100, 1024 }) {
        const QString name = u"big"_s + QString::number(kib);
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
        rows.append({ u"Enter to clipboard, "_s + QString::number(kib) + u" KiB body"_s, seconds,
                      u"bare read, plain QPlainTextEdit, clipboard"_s, floor, 0,
                      kib == 100 ? u"aim: under 20 ms"_s : QString() });
    }
}

const BenchRegistration windowRows("main window", [](QList<BenchRow>& rows) {
    refreshRows(rows);
    enterToClipboardRows(rows);
});

} // namespace
