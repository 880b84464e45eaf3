#include "BenchRegistry.h"
#include "MachineDescription.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString formatted(BenchUnit unit, double value)
{
    switch (unit) {
    case BenchUnit::Seconds:
        return QString::number(value * 1e6, 'f', value < 1e-4 ? 2 : 0) + u" us"_s;
    case BenchUnit::Bytes:
        return QString::number(value / (1 << 20), 'f', 1) + u" MiB"_s;
    }
    return {};
}

// The columns of one printed line; a line with only the first column is a group's heading.
using Cells = std::array<QString, 7>;

Cells cellsOf(const BenchRow& row)
{
    const bool hasFloor = !row.floorName.isEmpty();
    return { row.name,
             formatted(row.unit, row.value),
             row.floorName,
             hasFloor ? formatted(row.unit, row.floorValue) : QString(),
             hasFloor ? QString::number(row.value / row.floorValue, 'f', 2) + u'x' : QString(),
             row.aimRatio > 0 ? u"<="_s + QString::number(row.aimRatio) + u'x' : QString(),
             row.note };
}

} // namespace

// Runs every registered group (or those whose names hold one of the arguments), then prints
// one table whose columns fit the widest entry.
int main(int argc, char** argv)
{
    // The window rows need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList filters = app.arguments().mid(1);

    std::printf("Snipwell benchmarks: median of %d runs per row\n", kRepetitions);
    std::printf("Machine: %s\n\n", qPrintable(machineDescription()));
    std::fflush(stdout);

    QList<Cells> lines { { u"operation"_s, u"value"_s, u"floor"_s, u"floor value"_s, u"ratio"_s, u"aim"_s,
                           u"note"_s } };
    for (const auto& [name, group] : benchGroups()) {
        if (!filters.isEmpty()
            && std::none_of(filters.begin(), filters.end(), [&](const QString& f) { return name.contains(f); }))
            continue;
        QList<BenchRow> rows;
        group(rows);
        lines.append({ u"-- "_s + name });
        for (const BenchRow& row : rows)
            lines.append(cellsOf(row));
    }

    std::array<qsizetype, 7> widths {};
    for (const Cells& cells : lines) {
        if (cells[1].isEmpty())
            continue;
        for (size_t c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], cells[c].size());
    }
    // Names and notes read left-aligned, figures right-aligned.
    constexpr std::array<bool, 7> rightAligned { false, true, false, true, true, true, false };
    for (const Cells& cells : lines) {
        if (cells[1].isEmpty()) {
            std::printf("%s\n", qPrintable(cells[0]));
            continue;
        }
        QString line;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                line += u"  "_s;
            line += rightAligned[c] ? cells[c].rightJustified(widths[c]) : cells[c].leftJustified(widths[c]);
        }
        std::printf("%s\n", qPrintable(QStringView(line).trimmed().toString()));
    }
    return 0;
}
