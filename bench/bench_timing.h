#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace lyricue {

// Timing helpers the benchmarks share: one run's time, and medians and quantiles of many.
namespace bench_timing {

inline double timeMs(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The value below which `share` of the values lie.
inline double quantile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * static_cast<double>(values.size())))];
}

inline double median(std::vector<double> values)
{
    return quantile(std::move(values), 0.5);
}

// The median time of `runs` runs of `work`.
inline double medianMs(const std::function<void()>& work, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(timeMs(work));
    return median(std::move(times));
}

}  // namespace bench_timing

}  // namespace lyricue
