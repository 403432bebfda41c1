#include "calibration/tap_analysis.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace lyricue {

namespace {

// Kept offsets lie within this of the median, or three robust deviations where the user
// taps loosely.
constexpr double kOutlierFloorMs = 60;
// The standard deviation of normally scattered values over their median absolute deviation.
constexpr double kDeviationsPerMad = 1.4826;

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The click starting nearest to `ms`; of two as near, the earlier.
std::size_t nearestClick(const std::vector<double>& clicksMs, double ms)
{
    const auto after = std::lower_bound(clicksMs.begin(), clicksMs.end(), ms);
    if (after == clicksMs.begin())
        return 0;
    const auto index = std::size_t(after - clicksMs.begin());
    if (after == clicksMs.end() || ms - *(after - 1) <= *after - ms)
        return index - 1;
    return index;
}

// The taps that agree with one delay: each tap against the click it falls nearest to at that
// delay, when its offset lies within kAgreeMs of it.
struct Support {
    int clicks = 0;       // clicks answered by at least one of them
    double distance = 0;  // their offsets' summed distance from the delay
    std::vector<double> offsetsMs;
};

Support supportOf(const std::vector<double>& clicksMs, const std::vector<double>& tapsMs, double delayMs)
{
    Support support;
    std::vector<bool> answered(clicksMs.size(), false);
    for (const double heard : tapsMs) {
        const std::size_t click = nearestClick(clicksMs, heard - delayMs);
        const double offset = heard - clicksMs[click];
        if (std::fabs(offset - delayMs) > TapAnalysis::kAgreeMs)
            continue;
        support.offsetsMs.push_back(offset);
        support.distance += std::fabs(offset - delayMs);
        support.clicks += answered[click] ? 0 : 1;
        answered[click] = true;
    }
    return support;
}

// The delay the taps agree on: of every tap's offset from every click within the measured
// range, the one that answers the most clicks (the nearest to its taps where several do),
// refined to the median of the taps that agree with it.
double commonDelayMs(const std::vector<double>& clicksMs, const std::vector<double>& tapsMs)
{
    Support best;
    for (const double heard : tapsMs) {
        for (const double click : clicksMs) {
            const double delay = heard - click;
            if (delay < TapAnalysis::kEarliestMs || delay > TapAnalysis::kLatestMs)
                continue;
            Support support = supportOf(clicksMs, tapsMs, delay);
            if (support.clicks > best.clicks || (support.clicks == best.clicks && support.distance < best.distance))
                best = std::move(support);
        }
    }
    return best.offsetsMs.empty() ? 0 : medianOf(best.offsetsMs);
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

TapAnalysis TapAnalysis::of(const std::vector<double>& clicksMs, const std::vector<double>& tapsMs)
{
    TapAnalysis result;
    const std::size_t clickCount = clicksMs.size();
    result.neededKept = std::max(1, int(std::ceil(kShareAnswered * double(clickCount))));
    if (clickCount == 0) {
        for (const double heard : tapsMs)
            result.taps.push_back(Tap{heard, -1, 0, Verdict::Stray});
        result.leftOut = int(tapsMs.size());
        return result;
    }

    // Each tap answers the click it falls nearest to at the common delay; one more than half
    // a gap before the first click or after the last answers none.
    const double centre = commonDelayMs(clicksMs, tapsMs);
    std::map<std::size_t, std::vector<std::size_t>> tapsOfClick;
    for (const double heard : tapsMs) {
        const double sounded = heard - centre;
        const std::size_t click = nearestClick(clicksMs, sounded);
        const double onlyGap = kLatestMs - kEarliestMs;
        const double firstGap = clickCount > 1 ? clicksMs[1] - clicksMs[0] : onlyGap;
        const double lastGap = clickCount > 1 ? clicksMs[clickCount - 1] - clicksMs[clickCount - 2] : onlyGap;
        if (sounded < clicksMs.front() - firstGap / 2 || sounded > clicksMs.back() + lastGap / 2) {
            result.taps.push_back(Tap{heard, -1, 0, Verdict::Stray});
            continue;
        }
        tapsOfClick[click].push_back(result.taps.size());
        result.taps.push_back(Tap{heard, int(click), heard - clicksMs[click], Verdict::Kept});
    }
    // Of two taps on one click, the one nearer to the common delay counts.
    for (auto& [click, indexes] : tapsOfClick) {
        const auto nearest = std::min_element(indexes.begin(), indexes.end(), [&](std::size_t a, std::size_t b) {
            return std::fabs(result.taps[a].offsetMs - centre) < std::fabs(result.taps[b].offsetMs - centre);
        });
        for (const std::size_t index : indexes)
            if (index != *nearest)
                result.taps[index].verdict = Verdict::Double;
    }

    // A tap that does not agree with the common delay answered another click, or none.
    for (Tap& tap : result.taps)
        if (tap.verdict == Verdict::Kept && std::fabs(tap.offsetMs - centre) > kAgreeMs)
            tap.verdict = Verdict::Outlier;
    std::vector<double> offsets = keptOffsets(result.taps);
    if (!offsets.empty()) {
        const double median = medianOf(offsets);
        std::vector<double> deviations;
        for (const double offset : offsets)
            deviations.push_back(std::fabs(offset - median));
        result.robustSpreadMs = kDeviationsPerMad * medianOf(deviations);
        const double limit = std::max(kOutlierFloorMs, 3 * result.robustSpreadMs);
        for (Tap& tap : result.taps)
            if (tap.verdict == Verdict::Kept && std::fabs(tap.offsetMs - median) > limit)
                tap.verdict = Verdict::Outlier;
        offsets = keptOffsets(result.taps);
    }

    result.kept = int(offsets.size());
    result.leftOut = int(result.taps.size()) - result.kept;
    result.missedClicks = int(clickCount) - result.kept;
    if (!offsets.empty()) {
        double sum = 0;
        for (const double offset : offsets)
            sum += offset;
        const double mean = sum / double(offsets.size());
        double squares = 0;
        for (const double offset : offsets)
            squares += (offset - mean) * (offset - mean);
        result.spreadMs = std::sqrt(squares / double(offsets.size()));
    }

    if (result.kept < result.neededKept)
        result.refusal = Refusal::TooFew;
    else if (double(result.kept) < kShareAnswered * double(result.taps.size()))
        result.refusal = Refusal::ExtraTaps;
    else if (result.robustSpreadMs > kWidestSpreadMs)
        result.refusal = Refusal::Scattered;
    else
        result.refusal = Refusal::None;
    if (result.refusal == Refusal::None)
        result.medianMs = medianOf(offsets);
    return result;
}

}  // namespace lyricue
