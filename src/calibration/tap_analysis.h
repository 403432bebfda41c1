#pragma once

#include <optional>
#include <vector>

// Pairs the user's taps with the clicks they answer and finds the user's delay: each tap's
// offset from its click, without the taps that cannot be trusted, and their median.
struct TapAnalysis {
    // Fewer kept taps than this give no median: too few to trust.
    static constexpr int kMinimumKept = 6;

    enum class Verdict {
        Kept,
        Stray,   // near no click (before the first, after the last)
        Double,  // a second tap on a click already answered
        Outlier  // far from the others: a click missed and the next one taken early or late
    };
    struct Tap {
        double heardMs = 0;
        int click = -1;  // index of its click; -1 for a stray tap
        double offsetMs = 0;
        Verdict verdict = Verdict::Stray;
    };

    std::vector<Tap> taps;  // in the order pressed
    int missedClicks = 0;   // clicks with no kept tap
    int kept = 0;
    std::optional<double> medianMs;  // with at least kMinimumKept kept taps
    double spreadMs = 0;             // standard deviation of the kept offsets

    // `clicksMs` ascending, `beatMs` the time between two clicks; `tapsMs` as pressed,
    // each the position heard when the key went down.
    static TapAnalysis of(const std::vector<double>& clicksMs, double beatMs, const std::vector<double>& tapsMs);
};
