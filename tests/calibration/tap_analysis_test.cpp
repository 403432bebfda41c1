#include "calibration/click_track.h"
#include "calibration/tap_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

namespace lyricue {

namespace {

// The clicks the dialog plays.
const std::vector<double>& clicks()
{
    static const std::vector<double> times = ClickTrack().clickTimesMs();
    return times;
}
const int kClicks = int(clicks().size());
const double kBeat = ClickTrack().beatMs();

// One offset list per click, going round `offsets`.
std::vector<std::vector<double>> cycle(const std::vector<double>& offsets)
{
    std::vector<std::vector<double>> perClick;
    for (int index = 0; index < kClicks; ++index)
        perClick.push_back({offsets[std::size_t(index) % offsets.size()]});
    return perClick;
}

// The taps of one case: the offsets pressed after each click (none for a missed click),
// then taps at absolute times.
struct TapCase {
    const char* name;
    std::vector<std::vector<double>> offsets;  // per click; shorter lists repeat the last entry
    std::vector<double> extraTaps;
    int kept;
    int missed;
    std::optional<double> median;
    double spread;
    int doubles;
    int outliers;
    int strays;
};

std::vector<double> tapsOf(const std::vector<std::vector<double>>& offsets, const std::vector<double>& extraTaps = {})
{
    std::vector<double> taps;
    const std::vector<double> times = clicks();
    for (int index = 0; index < kClicks; ++index) {
        const auto& mine = offsets[std::min<std::size_t>(index, offsets.size() - 1)];
        for (const double offset : mine)
            taps.push_back(times[index] + offset);
    }
    taps.insert(taps.end(), extraTaps.begin(), extraTaps.end());
    return taps;
}

class TapAnalysisTest : public ::testing::TestWithParam<TapCase> {};

TEST_P(TapAnalysisTest, PairsTapsWithClicksAndDropsTheUntrusted)
{
    const TapCase& c = GetParam();
    const TapAnalysis result = TapAnalysis::of(clicks(), tapsOf(c.offsets, c.extraTaps));

    EXPECT_EQ(result.kept, c.kept);
    EXPECT_EQ(result.missedClicks, c.missed);
    ASSERT_EQ(result.medianMs.has_value(), c.median.has_value());
    if (c.median) {
        EXPECT_NEAR(*result.medianMs, *c.median, 1e-9);
        EXPECT_NEAR(result.spreadMs, c.spread, 1e-9);
        EXPECT_EQ(result.refusal, TapAnalysis::Refusal::None);
    }
    int doubles = 0, outliers = 0, strays = 0;
    for (const TapAnalysis::Tap& tap : result.taps) {
        doubles += tap.verdict == TapAnalysis::Verdict::Double;
        outliers += tap.verdict == TapAnalysis::Verdict::Outlier;
        strays += tap.verdict == TapAnalysis::Verdict::Stray;
        if (tap.verdict == TapAnalysis::Verdict::Stray)
            EXPECT_EQ(tap.click, -1);
        else
            EXPECT_DOUBLE_EQ(tap.offsetMs, tap.heardMs - clicks()[std::size_t(tap.click)]);
    }
    EXPECT_EQ(doubles, c.doubles);
    EXPECT_EQ(outliers, c.outliers);
    EXPECT_EQ(strays, c.strays);
}

// Click 5 missed, click 9 tapped twice: the second tap goes.
const std::vector<std::vector<double>> kMissedAndDouble = {{80}, {80}, {80}, {80}, {}, {80}, {80}, {80}, {80, 150}, {80}};
// Fields: taps, extra taps; kept, missed, median, spread; doubles, outliers, strays.
INSTANTIATE_TEST_SUITE_P(
    Taps, TapAnalysisTest,
    ::testing::Values(
        TapCase{"Steady", {{80}}, {}, 16, 0, 80.0, 0, 0, 0, 0},
        TapCase{"MissedClickAndDoubleTap", kMissedAndDouble, {}, 15, 1, 80.0, 0, 1, 0, 0},
        TapCase{"DoubleTapWhoseFirstPressIsTheStrayOne", {{80}, {80}, {20, 80}, {80}}, {}, 16, 0, 80.0, 0, 1, 0, 0},
        TapCase{"AheadOfTheClick", {{-30}}, {}, 16, 0, -30.0, 0, 0, 0, 0},
        TapCase{"LooseTapping", {{70}, {90}, {70}, {90}, {70}, {90}, {70}, {90}, {70}, {90}, {70}, {90}, {70}, {90}, {70}, {90}},
                {}, 16, 0, 80.0, 10, 0, 0, 0},
        TapCase{"LateAnswerToAMissedClick", {{80}, {80}, {80}, {80}, {80}, {80}, {380}, {80}}, {}, 15, 1, 80.0, 0, 0, 1, 0},
        TapCase{"BluetoothDelay", {{250}}, {}, 16, 0, 250.0, 0, 0, 0, 0},
        TapCase{"BluetoothHeadsetLateBy400To500", cycle({400, 450, 500, 450}), {}, 16, 0, 450.0, std::sqrt(1250.0), 0,
                0, 0},
        TapCase{"LateBy600", cycle({570, 600, 630, 600}), {}, 16, 0, 600.0, std::sqrt(450.0), 0, 0, 0},
        TapCase{"LateBy600WithAMissedClickAndADoubleTap", {{600}, {600}, {}, {600}, {600, 700}, {600}}, {}, 15, 1,
                600.0, 0, 1, 0, 0},
        TapCase{"AheadBy220", cycle({-250, -220, -190, -220}), {}, 16, 0, -220.0, std::sqrt(450.0), 0, 0, 0},
        TapCase{"PressesBeforeTheFirstAndAfterTheLastClick", {{80}}, {200, clicks().back() + kBeat + 100}, 16, 0, 80.0,
                0, 0, 0, 2},
        TapCase{"TooFewToTrust", {{80}, {80}, {80}, {80}, {80}, {}}, {}, 5, 11, std::nullopt, 0, 0, 0, 0},
        TapCase{"NoTaps", {{}}, {}, 0, 16, std::nullopt, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<TapCase>& info) { return std::string(info.param.name); });

// Taps that do not follow the clicks give no median, whatever offsets they happen to have.
struct RefusedCase {
    const char* name;
    std::vector<double> taps;
    TapAnalysis::Refusal why;
};

// Taps at a steady interval from 80 ms after the first click to the end of the run.
std::vector<double> steadyTaps(double intervalMs)
{
    std::vector<double> taps;
    for (double at = clicks().front() + 80; at < clicks().back() + kBeat; at += intervalMs)
        taps.push_back(at);
    return taps;
}

// 16 presses at random during the run.
std::vector<double> randomTaps(unsigned seed)
{
    std::mt19937 draw(seed);
    const double span = clicks().back() + kBeat - clicks().front();
    std::vector<double> taps;
    for (int press = 0; press < 16; ++press)
        taps.push_back(clicks().front() + span * double(draw()) / 4294967296.0);
    std::sort(taps.begin(), taps.end());
    return taps;
}

class RefusedTapsTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTapsTest, GiveNoMedian)
{
    const RefusedCase& c = GetParam();
    const TapAnalysis result = TapAnalysis::of(clicks(), c.taps);
    EXPECT_FALSE(result.medianMs.has_value()) << *result.medianMs;
    EXPECT_EQ(result.refusal, c.why);
}

using enum TapAnalysis::Refusal;
INSTANTIATE_TEST_SUITE_P(
    Taps, RefusedTapsTest,
    ::testing::Values(RefusedCase{"RandomPresses1", randomTaps(1), TooFew}, RefusedCase{"RandomPresses2", randomTaps(2), TooFew},
                      RefusedCase{"RandomPresses3", randomTaps(3), TooFew}, RefusedCase{"RandomPresses4", randomTaps(4), TooFew},
                      RefusedCase{"SteadyAtTwoThirdsOfTheTempo", steadyTaps(kBeat * 3 / 2), TooFew},
                      RefusedCase{"SteadyAtTwiceTheTempo", steadyTaps(kBeat / 2), ExtraTaps},
                      RefusedCase{"SteadyAtFourThirdsOfTheTempo", steadyTaps(kBeat * 3 / 4), TooFew},
                      RefusedCase{"ScatteredOver200Ms", tapsOf(cycle({-50, 50, 150})), Scattered}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
