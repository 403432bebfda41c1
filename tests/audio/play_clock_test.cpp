// The play clock: what it maps and where it stands, and the engine's clock over a device
// whose callbacks come with jitter and whose real rate is not its nominal one.
#include "audio/playback_engine.h"
#include "audio/play_clock.h"

#include "support/generated_sources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace lyricue {

namespace {

using namespace std::chrono_literals;
using TimePoint = PlayClock::TimePoint;

const TimePoint kOrigin = TimePoint(1000s);

TimePoint at(double seconds)
{
    return kOrigin + std::chrono::nanoseconds(std::llround(seconds * 1e9));
}

TEST(PlayClockTest, MapsTheFrameHeardToItsSourceFrame)
{
    PlayClock clock;
    clock.setNominalRate(1000);
    clock.beginGeneration(7);
    clock.publish();
    EXPECT_FALSE(clock.read().sourceAt(at(0))) << "nothing heard before a measurement";

    // Output 0-99 carry source 500-599; output 150-249 carry source 2000-2099 (a gap of
    // silence between, as an underrun leaves).
    clock.addRun(0, 100, 500, 600);
    clock.addRun(150, 100, 2000, 2100);
    clock.setHandedEnd(250);
    clock.observe(at(0), 10);
    clock.publish();
    const struct {
        double seconds;
        double source;
    } cases[] = {
        {0.0, 510},   // the measurement itself
        {0.05, 560},  // on at the nominal rate
        {0.12, 600},  // in the gap: the last frame before it
        {0.17, 2030},
        {0.3, 2100},  // never past the frames handed
        {1.0, 2100},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.seconds);
        const PlayClock::Reading reading = clock.read();
        EXPECT_EQ(reading.generation, 7u);
        ASSERT_TRUE(reading.sourceAt(at(step.seconds)));
        EXPECT_NEAR(*reading.sourceAt(at(step.seconds)), step.source, 1e-6);
    }
}

TEST(PlayClockTest, ARestartedTimelineStartsFromItsFirstMeasurement)
{
    PlayClock clock;
    clock.setNominalRate(1000);
    clock.setHandedEnd(100000);
    for (int i = 0; i < 50; ++i)
        clock.observe(at(i * 0.02), i * 20.0);
    clock.publish();
    EXPECT_NEAR(*clock.read().outputAt(at(1.0)), 1000, 1);
    // A pause of ten seconds, then the device goes on from output frame 5000.
    clock.restartTimeline();
    clock.observe(at(11.0), 5000);
    clock.publish();
    EXPECT_NEAR(*clock.read().outputAt(at(11.0)), 5000, 1e-6);
    EXPECT_NEAR(*clock.read().outputAt(at(11.1)), 5100, 1);
}

// A sound server that stops for a moment just after a start (a PipeWire graph set up
// around the new stream), measured every 2 ms: the clock does not run on ahead of what
// is heard for long, and never goes back.
TEST(PlayClockTest, FollowsAServerThatStopsForAMomentWithoutGoingBack)
{
    constexpr double kRate = 48000;
    constexpr double kCaughtUpAfter = 0.2;  // within 1 ms of the frame heard from then on
    for (const double stopSeconds : {0.006, 0.025, 0.040}) {
        SCOPED_TRACE(stopSeconds);
        const auto heardAt = [&](double seconds) {
            return kRate * (seconds < 0.3 ? seconds : std::max(0.3, seconds - stopSeconds));
        };
        PlayClock clock;
        clock.setNominalRate(int(kRate));
        clock.setHandedEnd(std::int64_t(kRate * 10));
        double last = 0;
        double largestAfter = 0;
        for (double t = 0; t < 1.5; t += 0.002) {
            clock.observe(at(t), heardAt(t));
            clock.publish();
            for (double r = t; r < t + 0.002; r += 0.0005) {
                const double output = *clock.read().outputAt(at(r));
                ASSERT_GE(output, last) << "at " << r << " s";
                last = output;
                if (r > 0.3 + stopSeconds + kCaughtUpAfter)
                    largestAfter = std::max(largestAfter, std::fabs(output - heardAt(r)) * 1000 / kRate);
            }
        }
        EXPECT_LT(largestAfter, 1.0) << "ms";
    }
}

// A device whose callbacks come `jitter` early or late at random, whose real rate is
// `speed` times its nominal one, and which holds two blocks ahead of the listener.
struct DeviceCase {
    const char* name;
    double jitterSeconds;
    double speed;
};

void PrintTo(const DeviceCase& device, std::ostream* out)
{
    *out << device.name;
}

class EngineClockTest : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(EngineClockTest, FollowsTheDeviceWithinAMillisecond)
{
    constexpr int kRate = 48000;
    constexpr int kBlock = 1024;
    constexpr double kAhead = 2 * kBlock;
    constexpr double kSeconds = 40;
    constexpr double kLockSeconds = 5;  // measured from there on
    const DeviceCase& device = GetParam();
    const double realRate = kRate * device.speed;

    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    EngineOptionRecord options{128, 25, 0, 0};
    ASSERT_EQ(engine.vbmp3_setVbmp3Option(options), 1);
    ASSERT_EQ(engine.openSource(std::make_unique<ToneSource>(kRate, 440.0, kSeconds + 2, 0.5f)), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);

    // The listener hears output frame n at n / realRate; callback k comes when its first
    // frame is two blocks ahead of the listener, give or take the jitter.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> jitter(-device.jitterSeconds, device.jitterSeconds);
    std::vector<float> block(std::size_t(kBlock) * 2);
    double squares = 0;
    double largest = 0;
    int count = 0;
    int backward = 0;
    std::int64_t last = 0;
    double reading = 0;
    for (int k = 0; k * kBlock < kSeconds * realRate; ++k) {
        const double callback = (k * kBlock - kAhead) / realRate + jitter(random);
        for (; reading < callback; reading += 0.001) {
            const std::int64_t frame = engine.playFrameAt(at(reading));
            backward += frame < last ? 1 : 0;
            last = std::max(last, frame);
            const double truth = std::max(0.0, reading * realRate);
            const double errorMs = (double(frame) - truth) * 1000 / kRate;
            if (reading >= kLockSeconds) {
                squares += errorMs * errorMs;
                largest = std::max(largest, std::fabs(errorMs));
                ++count;
            }
            ASSERT_LE(frame, k * kBlock) << "never past the frames handed over";
        }
        ASSERT_EQ(engine.renderAt(block.data(), kBlock, at(callback), kAhead), kBlock);
    }
    const double rms = std::sqrt(squares / count);
    std::printf("[ clock    ] %s: %d readings after %.0f s, rms %.3f ms, largest %.3f ms, %d backward\n", device.name,
                count, kLockSeconds, rms, largest, backward);
    EXPECT_LT(rms, 1.0);
    EXPECT_LT(largest, 4.0);
    EXPECT_EQ(backward, 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, EngineClockTest,
                         ::testing::Values(DeviceCase{"Jitter10msFast0_3pc", 0.010, 1.003},
                                           DeviceCase{"Jitter10msSlow0_3pc", 0.010, 0.997},
                                           DeviceCase{"Jitter1msFast0_5pc", 0.001, 1.005},
                                           DeviceCase{"SteadySlow0_5pc", 0.0, 0.995}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
