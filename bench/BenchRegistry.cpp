#include "BenchRegistry.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double secondsPerCall(const std::function<void()>& call, int calls)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        call();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
}

} // namespace

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
                                              int calls)
{
    call();
    floor();
    std::vector<double> callSamples;
    std::vector<double> floorSamples;
    for (int i = 0; i < kRepetitions; ++i) {
        floorSamples.push_back(secondsPerCall(floor, calls));
        callSamples.push_back(secondsPerCall(call, calls));
    }
    return { median(callSamples), median(floorSamples) };
}
