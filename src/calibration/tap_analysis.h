#pragma once

#include <optional>
#include <vector>

namespace lyricue {

// Pairs the user's taps with the clicks they answer and finds the user's delay: the delay
// most taps agree on, each tap's offset from its click at that delay, and their median, given
// only when the taps clearly follow the clicks.
struct TapAnalysis {
    // Delays measured: from a user well ahead of the click to a slow Bluetooth headset. The
    // click's gaps are longer than this range, so each tap has one click it can answer.
    static constexpr double kEarliestMs = -350;
    static constexpr double kLatestMs = 800;
    // Taps within this of a delay agree with it.
    static constexpr double kAgreeMs = 150;
    // A median is given when at least this share of the clicks is answered, at least this
    // share of the taps answers a click ...
    static constexpr double kShareAnswered = 0.75;
    // ... and the offsets scatter by no more than this (robust standard deviation).
    static constexpr double kWidestSpreadMs = 100;

    enum class Verdict {
        Kept,
        Stray,   // near no click (before the first, after the last)
        Double,  // a second tap on a click already answered
        Outlier  // far from the others: a click missed and the next one taken early or late
    };
    // Why a run gives no median.
    enum class Refusal {
        None,
        TooFew,      // too many clicks went unanswered: taps slower than the clicks, or too few
        ExtraTaps,   // too many taps answer no click: taps faster than the clicks, or at random
        Scattered    // the offsets scatter too widely to say what the user's delay is
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
    int leftOut = 0;  // taps not kept
    int neededKept = 0;  // kept taps needed for a median
    std::optional<double> medianMs;  // only when the run is not refused
    double spreadMs = 0;             // standard deviation of the kept offsets
    // 1.4826 times the median absolute deviation of the offsets that agree with the common
    // delay, one tap a click: what the outliers are judged by, and what a loose tapper
    // scatters by.
    double robustSpreadMs = 0;
    Refusal refusal = Refusal::TooFew;

    // `clicksMs` ascending; `tapsMs` as pressed, each the position heard when the key went down.
    static TapAnalysis of(const std::vector<double>& clicksMs, const std::vector<double>& tapsMs);
};

}  // namespace lyricue
