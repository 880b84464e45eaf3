#include "BenchRegistry.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

double secondsPerCall(const std::function<void()>& call, int calls)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        call();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / calls;
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
                                              int calls)
{
    const std::vector<double> medians = medianSecondsInTurn({ floor, call }, calls);
    return { medians[1], medians[0] };
}

std::vector<double> medianSecondsInTurn(const std::vector<std::function<void()>>& operations, int calls)
{
    for (const auto& operation : operations)
        operation();
    std::vector<std::vector<double>> samples(operations.size());
    for (int i = 0; i < kRepetitions; ++i) {
        for (size_t k = 0; k < operations.size(); ++k)
            samples[k].push_back(secondsPerCall(operations[k], calls));
    }
    std::vector<double> medians;
    for (auto& operationSamples : samples)
        medians.push_back(median(std::move(operationSamples)));
    return medians;
}
