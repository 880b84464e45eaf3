#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

enum class BenchUnit {
    Seconds, // per call
    Bytes,
};

// One row of the table: a median figure, beside the floor it is held against when there is one
// (the bare system calls that the operation cannot do without, or a bare Qt window).
struct BenchRow
{
    QString name;
    double value = 0;
    QString floorName;
    double floorValue = 0;
    double aimRatio = 0; // 0: no aim
    QString note;
    BenchUnit unit = BenchUnit::Seconds;
};

using BenchGroup = std::function<void(QList<BenchRow>& rows)>;

// A file of benchmarks registers its group with a static BenchRegistration.
struct BenchRegistration
{
    BenchRegistration(const char* name, BenchGroup group);
};

QList<std::pair<QString, BenchGroup>>& benchGroups();

constexpr int kRepetitions = 15;

// What a run is timed by: the wall clock, or the CPU time of the whole process (for operations
// whose wall time is mostly waiting on the disk, such as a synced write).
enum class BenchClock { Wall, ProcessCpu };

// Median seconds per call over kRepetitions runs of `calls` calls each.
double medianSeconds(const std::function<void()>& call, int calls = 1);

// The same for an operation and its floor, run alternately so that both see the same machine.
std::pair<double, double> medianSecondsBeside(const std::function<void()>& call, const std::function<void()>& floor,
                                              int calls = 1, BenchClock clock = BenchClock::Wall);

// The same for any number of operations taking turns, one median each.
std::vector<double> medianSecondsInTurn(const std::vector<std::function<void()>>& operations, int calls = 1,
                                        BenchClock clock = BenchClock::Wall);

double median(std::vector<double> samples);
