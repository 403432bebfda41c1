#include "tap_analysis.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// A tap answers the click it follows by less than this share of a beat, or precedes by
// less than the rest: a user who hears late taps late, up to the output's quarter second.
constexpr double kLateShare = 0.65;
// Kept offsets lie within this of the median, or three robust deviations where the user
// taps loosely.
constexpr double kOutlierFloorMs = 60;

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> keptOffsets(const std::vector<TapAnalysis::Tap>& taps)
{
    std::vector<double> offsets;
    for (const TapAnalysis::Tap& tap : taps)
        if (tap.verdict == TapAnalysis::Verdict::Kept)
            offsets.push_back(tap.offsetMs);
    return offsets;
}

}  // namespace

TapAnalysis TapAnalysis::of(const std::vector<double>& clicksMs, double beatMs, const std::vector<double>& tapsMs)
{
    TapAnalysis result;
    std::map<int, std::vector<std::size_t>> tapsOfClick;
    for (const double heard : tapsMs) {
        Tap tap{heard, -1, 0, Verdict::Stray};
        for (std::size_t index = 0; index < clicksMs.size(); ++index) {
            const double offset = heard - clicksMs[index];
            if (offset >= -beatMs * (1 - kLateShare) && offset < beatMs * kLateShare) {
                tap = Tap{heard, int(index), offset, Verdict::Kept};
                tapsOfClick[tap.click].push_back(result.taps.size());
                break;
            }
        }
        result.taps.push_back(tap);
    }
    // Of two taps on one click, the one nearer to what the user does on the others counts.
    const std::vector<double> first = keptOffsets(result.taps);
    const double typical = first.empty() ? 0 : medianOf(first);
    for (auto& [click, indexes] : tapsOfClick) {
        if (indexes.size() < 2)
            continue;
        const auto nearest = std::min_element(indexes.begin(), indexes.end(), [&](std::size_t a, std::size_t b) {
            return std::fabs(result.taps[a].offsetMs - typical) < std::fabs(result.taps[b].offsetMs - typical);
        });
        for (const std::size_t index : indexes)
            if (index != *nearest)
                result.taps[index].verdict = Verdict::Double;
    }

    std::vector<double> offsets = keptOffsets(result.taps);
    if (!offsets.empty()) {
        const double centre = medianOf(offsets);
        std::vector<double> deviations;
        for (const double offset : offsets)
            deviations.push_back(std::fabs(offset - centre));
        const double limit = std::max(kOutlierFloorMs, 3 * 1.4826 * medianOf(deviations));
        for (Tap& tap : result.taps)
            if (tap.verdict == Verdict::Kept && std::fabs(tap.offsetMs - centre) > limit)
                tap.verdict = Verdict::Outlier;
        offsets = keptOffsets(result.taps);
    }

    result.kept = int(offsets.size());
    result.missedClicks = int(clicksMs.size()) - result.kept;
    if (result.kept >= kMinimumKept) {
        result.medianMs = medianOf(offsets);
        double sum = 0;
        for (const double offset : offsets)
            sum += offset;
        const double mean = sum / offsets.size();
        double squares = 0;
        for (const double offset : offsets)
            squares += (offset - mean) * (offset - mean);
        result.spreadMs = std::sqrt(squares / offsets.size());
    }
    return result;
}
