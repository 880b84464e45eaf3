#include "BenchRegistry.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>

// Runs every registered group (or those whose names hold one of the arguments) and prints
// one table.
int main(int argc, char** argv)
{
    // The window rows need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList filters = app.arguments().mid(1);

    std::printf("Snipwell benchmarks: median of %d runs per row\n\n", kRepetitions);
    const auto micro
        = [](double seconds) { return QString::number(seconds * 1e6, 'f', seconds < 1e-4 ? 2 : 0) + u" us"_qs; };
    const auto line = [](const QString& name, const QString& time, const QString& floor, const QString& floorTime,
                         const QString& ratio, const QString& aim, const QString& note) {
        std::printf("%-56s %12s  %-42s %12s %7s %6s  %s\n", qPrintable(name), qPrintable(time), qPrintable(floor),
                    qPrintable(floorTime), qPrintable(ratio), qPrintable(aim), qPrintable(note));
    };
    line(u"operation"_qs, u"time"_qs, u"floor"_qs, u"floor time"_qs, u"ratio"_qs, u"aim"_qs, u"note"_qs);
    for (const auto& [name, group] : benchGroups()) {
        if (!filters.isEmpty()
            && std::none_of(filters.begin(), filters.end(), [&](const QString& f) { return name.contains(f); }))
            continue;
        QList<BenchRow> rows;
        group(rows);
        std::printf("-- %s\n", qPrintable(name));
        for (const BenchRow& row : rows) {
            const bool hasFloor = !row.floorName.isEmpty();
            line(row.name, micro(row.seconds), row.floorName, hasFloor ? micro(row.floorSeconds) : QString(),
                 hasFloor ? QString::number(row.seconds / row.floorSeconds, 'f', 2) + u'x' : QString(),
                 row.aimRatio > 0 ? u"<="_qs + QString::number(row.aimRatio) + u'x' : QString(), row.note);
        }
    }
    return 0;
}
