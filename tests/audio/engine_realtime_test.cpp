// The engine's real-time promises: the output's thread never waits for decoding (it
// counts underruns instead), and neither does the caller's.
#include "audio/playback_engine.h"

#include "support/generated_sources.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace lyricue {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr int kBlock = 1024;

std::unique_ptr<Decoder> stallingTone(int stallAt, std::chrono::milliseconds stall)
{
    return std::make_unique<StallingSource>(std::make_unique<ToneSource>(kRate, 440.0, 30.0, 0.5f), stallAt, stall);
}

TEST(EngineRealTimeTest, AStalledDecoderDoesNotDelayTheOutputWhichCountsUnderruns)
{
    PlaybackEngine engine(PlaybackEngine::Output::ManualRealTime);
    // The 40th read comes a little over half a second in: past what is decoded ahead at play.
    ASSERT_EQ(engine.openSource(stallingTone(40, 200ms)), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    std::vector<float> block(std::size_t(kBlock) * 2);
    std::chrono::nanoseconds longest{0};
    int blocksAfterTheGap = 0;
    const auto limit = Clock::now() + 3s;
    while (blocksAfterTheGap < 50 && Clock::now() < limit) {
        const auto start = Clock::now();
        const int got = engine.render(block.data(), kBlock);
        longest = std::max(longest, Clock::now() - start);
        if (engine.underruns().blocks > 0 && got == kBlock)
            ++blocksAfterTheGap;
        std::this_thread::sleep_for(1ms);  // a device much faster than real time
    }
    EXPECT_LT(longest, 20ms) << "a render waited";
    EXPECT_GT(engine.underruns().blocks, 0);
    EXPECT_GT(engine.underruns().frames, 0);
    EXPECT_EQ(blocksAfterTheGap, 50) << "frames came again after the stall";
}

struct CallCase {
    const char* name;
    std::function<void(PlaybackEngine&)> call;
};

void PrintTo(const CallCase& call, std::ostream* out)
{
    *out << call.name;
}

class EngineCallerTest : public ::testing::TestWithParam<CallCase> {};

TEST_P(EngineCallerTest, NeverWaitsForAStalledDecoder)
{
    PlaybackEngine engine(PlaybackEngine::Output::ManualRealTime);
    // Every start reads at once: the second read stalls half a second.
    ASSERT_EQ(engine.openSource(stallingTone(2, 500ms)), 1);
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    const auto start = Clock::now();
    GetParam().call(engine);
    EXPECT_LT(Clock::now() - start, 50ms);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, EngineCallerTest,
    ::testing::Values(CallCase{"Seek", [](PlaybackEngine& engine) { engine.vbmp3_seek(10); }},
                      CallCase{"PauseAndRestart",
                               [](PlaybackEngine& engine) {
                                   engine.vbmp3_pause();
                                   engine.vbmp3_restart();
                               }},
                      CallCase{"StopAndPlay",
                               [](PlaybackEngine& engine) {
                                   engine.vbmp3_stop();
                                   engine.vbmp3_play();
                               }},
                      CallCase{"Position",
                               [](PlaybackEngine& engine) {
                                   std::int32_t seconds = 0;
                                   engine.vbmp3_getState(seconds);
                                   engine.vbmp3_getWinampPlayMs();
                               }},
                      CallCase{"OpenAnother",
                               [](PlaybackEngine& engine) {
                                   engine.openSource(std::make_unique<ToneSource>(kRate, 440.0, 1.0));
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
