#include "tap_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr double kBeat = 600;
constexpr int kClicks = 16;

std::vector<double> clicks()
{
    std::vector<double> times;
    for (int index = 0; index < kClicks; ++index)
        times.push_back(1500 + index * kBeat);
    return times;
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

std::vector<double> tapsOf(const TapCase& c)
{
    std::vector<double> taps;
    const std::vector<double> times = clicks();
    for (int index = 0; index < kClicks; ++index) {
        const auto& mine = c.offsets[std::min<std::size_t>(index, c.offsets.size() - 1)];
        for (const double offset : mine)
            taps.push_back(times[index] + offset);
    }
    taps.insert(taps.end(), c.extraTaps.begin(), c.extraTaps.end());
    return taps;
}

class TapAnalysisTest : public ::testing::TestWithParam<TapCase> {};

TEST_P(TapAnalysisTest, PairsTapsWithClicksAndDropsTheUntrusted)
{
    const TapCase& c = GetParam();
    const TapAnalysis result = TapAnalysis::of(clicks(), kBeat, tapsOf(c));

    EXPECT_EQ(result.kept, c.kept);
    EXPECT_EQ(result.missedClicks, c.missed);
    ASSERT_EQ(result.medianMs.has_value(), c.median.has_value());
    if (c.median) {
        EXPECT_NEAR(*result.medianMs, *c.median, 1e-9);
        EXPECT_NEAR(result.spreadMs, c.spread, 1e-9);
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
        TapCase{"PressesBeforeTheFirstAndAfterTheLastClick", {{80}}, {200, 1500 + 16 * kBeat + 100}, 16, 0, 80.0, 0, 0,
                0, 2},
        TapCase{"TooFewToTrust", {{80}, {80}, {80}, {80}, {80}, {}}, {}, 5, 11, std::nullopt, 0, 0, 0, 0},
        TapCase{"NoTaps", {{}}, {}, 0, 16, std::nullopt, 0, 0, 0, 0}),
    [](const ::testing::TestParamInfo<TapCase>& info) { return std::string(info.param.name); });

}  // namespace
