#include "BenchRegistry.h"

#include <algorithm>
#include <vector>

#include <time.h>

namespace {

double now(BenchClock clock)
{
    timespec ts;
    ::clock_gettime(clock == BenchClock::Wall ? CLOCK_MONOTONIC : CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double secondsPerCall(const std::function<void()>& call, int calls, BenchClock clock = BenchClock::Wall)
{
    const double start = now(clock);
    for (int i = 0; i < calls; ++i)
        call();
    return (now(clock) - start) / calls;
}

} // namespace

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

BenchRegistration::BenchRegistration(const char* name, BenchGroup group)
{
    benchGroups().append({ QString::fromUtf8(name), std::move(group) });
}

QList<std::pair<QString, BenchGroup>>& benchGroups()
{
    static QList<std::pair<QString, BenchGroup>> groups;
    return groups;
}

double medianSeconds(const std::function<void()>& call, int calls)
{
    call(); // warm caches
    std::vector<double> samples;
    for (int i = 0; i < kRepetitions; ++i)
        samples.push_back(secondsPerCall(call, calls));
    return median(samples);
}

std::pair<double, double> medianSecondsBeside(const std::function<void()>& call, const std::function<void()>& floor,
                                              int calls, BenchClock clock)
{
    const std::vector<double> medians = medianSecondsInTurn({ floor, call }, calls, clock);
    return { medians[1], medians[0] };
}

std::vector<double> medianSecondsInTurn(const std::vector<std::function<void()>>& operations, int calls,
                                        BenchClock clock)
{
    for (const auto& operation : operations)
        operation();
    std::vector<std::vector<double>> samples(operations.size());
    for (int i = 0; i < kRepetitions; ++i) {
        for (size_t k = 0; k < operations.size(); ++k)
            samples[k].push_back(secondsPerCall(operations[k], calls, clock));
    }
    std::vector<double> medians;
    for (auto& operationSamples : samples)
        medians.push_back(median(std::move(operationSamples)));
    return medians;
}
