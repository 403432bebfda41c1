// The play clock on made-up times: hand-overs, interpolation, its limits.
#include "audio/play_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;
using TimePoint = PlayClock::TimePoint;

// One step: a hand-over (when `handedEnd` >= 0), then the position read at `at`.
struct Step {
    std::chrono::milliseconds at;
    std::int64_t handedEnd;
    std::int64_t buffered;
    std::int64_t expected;
};

struct ClockCase {
    const char* name;
    std::int64_t start;
    std::vector<Step> steps;
};

void PrintTo(const ClockCase& clockCase, std::ostream* out)
{
    *out << clockCase.name;
}

class PlayClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(PlayClockTest, PositionOverTime)
{
    const TimePoint origin{};
    PlayClock clock;
    clock.restart(GetParam().start, 1000);  // one frame per millisecond
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(testing::Message() << "at " << step.at.count() << " ms");
        if (step.handedEnd >= 0)
            clock.handOver(step.handedEnd, step.buffered, origin + step.at);
        EXPECT_EQ(clock.position(origin + step.at), step.expected);
    }
}

constexpr std::int64_t kRead = -1;  // no hand-over, only a reading

INSTANTIATE_TEST_SUITE_P(
    Cases, PlayClockTest,
    ::testing::Values(
        ClockCase{"StandsAtTheStartUntilTheFirstHandOver", 500, {{0ms, kRead, 0, 500}, {300ms, kRead, 0, 500}}},
        ClockCase{"WithNothingBufferedIsTheFramesHanded",
                  0,
                  {{0ms, 100, 0, 100}, {50ms, kRead, 0, 100}, {60ms, 250, 0, 250}, {1000ms, kRead, 0, 250}}},
        ClockCase{"RunsOnBetweenCallbacksAndStopsAtTheFramesHanded",
                  0,
                  {{0ms, 100, 100, 0}, {40ms, kRead, 0, 40}, {100ms, kRead, 0, 100}, {180ms, kRead, 0, 100}}},
        ClockCase{"ALateCallbackHoldsTheClockWithoutAJump",
                  0,
                  {{0ms, 100, 100, 0}, {130ms, 200, 100, 100}, {160ms, kRead, 0, 130}, {230ms, kRead, 0, 200}}},
        ClockCase{"NeverGoesBackWhenTheDeviceLagsTheSteadyClock",
                  0,
                  {{0ms, 100, 100, 0},
                   {80ms, kRead, 0, 80},
                   {80ms, 200, 150, 80},  // the device says 50 frames heard
                   {100ms, kRead, 0, 80},
                   {120ms, kRead, 0, 90},
                   {200ms, kRead, 0, 170}}},
        ClockCase{"AnEarlyCallbackMovesItForward",
                  1000,
                  {{0ms, 1100, 100, 1000}, {90ms, 1200, 100, 1100}, {100ms, kRead, 0, 1110}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlayClockRestartTest, ForgetsTheOldTrackOfFrames)
{
    const TimePoint origin{};
    PlayClock clock;
    clock.restart(0, 1000);
    clock.handOver(1000, 100, origin);
    EXPECT_EQ(clock.position(origin + 50ms), 950);
    clock.restart(200, 1000);
    EXPECT_EQ(clock.position(origin + 60ms), 200);
    EXPECT_EQ(clock.handedEnd(), 200);
    clock.handOver(300, 100, origin + 70ms);
    EXPECT_EQ(clock.position(origin + 120ms), 250);
}

}  // namespace
