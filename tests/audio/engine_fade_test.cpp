// No clicks: pause, stop, seek and volume changes on a full-scale sine leave no step
// between two samples larger than the sine makes itself.
#include "audio/playback_engine.h"

#include "audio/engine_render.h"
#include "support/generated_sources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace lyricue {

using namespace engine_render;

namespace {

constexpr int kRate = 48000;
constexpr double kTone = 1000;
constexpr int kFadeMs = 20;
// A sine of amplitude 1 steps by at most 2 pi f / rate from one sample to the next
// (0.131 at 1 kHz); a fade adds at most 1 / its length. A cut makes a step of up to 1.
// Anything more than 5 % above the sine's own step is a click.
const double kLargestStep = 1.05 * 2 * std::numbers::pi * kTone / kRate;

float largestStep(const std::vector<float>& samples)
{
    float largest = 0;
    for (std::size_t i = 2; i < samples.size(); i += 2)
        largest = std::max(largest, std::fabs(samples[i] - samples[i - 2]));
    return largest;
}

struct ChangeCase {
    const char* name;
    int fadeMs;
    // Makes the change; returns what it rendered meanwhile.
    std::function<std::vector<float>(PlaybackEngine&)> change;
    bool clicks;  // without a fade, the change is heard as a click
};

void PrintTo(const ChangeCase& change, std::ostream* out)
{
    *out << change.name;
}

class EngineFadeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(EngineFadeTest, NoStepLargerThanTheSineMakesItself)
{
    const ChangeCase& change = GetParam();
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    EngineOptionRecord options{128, 25, change.fadeMs, 0};
    ASSERT_EQ(engine.vbmp3_setVbmp3Option(options), 1);
    ASSERT_EQ(engine.openSource(std::make_unique<ToneSource>(kRate, kTone, 4.0)), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    // 9,996 frames: the change comes at a crest of the sine, where a cut is loudest.
    std::vector<float> samples = renderFrames(engine, 9996, 1000).samples;
    const std::int64_t heardBefore = engine.playFrame();
    const std::vector<float> during = change.change(engine);
    const std::int64_t heardAfter = engine.playFrame();
    const std::vector<float> after = renderFrames(engine, 4000, 1000).samples;
    samples.insert(samples.end(), during.begin(), during.end());
    samples.insert(samples.end(), after.begin(), after.end());

    const float step = largestStep(samples);
    if (change.clicks)
        EXPECT_GT(step, 0.5) << "the test sees a click when there is one";
    else
        EXPECT_LE(step, kLargestStep);
    if (QByteArrayView(change.name) == "Pause") {
        // The position stays where the fade-out began.
        EXPECT_EQ(heardAfter, heardBefore);
        EXPECT_EQ(engine.playFrame(), heardBefore);
    }
}

std::vector<float> pause(PlaybackEngine& engine)
{
    engine.vbmp3_pause();
    return {};
}

std::vector<float> seekTwoSeconds(PlaybackEngine& engine)
{
    engine.vbmp3_seek(2);
    return {};
}

INSTANTIATE_TEST_SUITE_P(
    Changes, EngineFadeTest,
    ::testing::Values(ChangeCase{"Pause", kFadeMs, pause, false},
                      ChangeCase{"PauseWithoutFade", 0, pause, true},
                      ChangeCase{"PauseThenResume", kFadeMs,
                                 [](PlaybackEngine& engine) {
                                     engine.vbmp3_pause();
                                     std::vector<float> paused = renderFrames(engine, 2000, 1000).samples;
                                     engine.vbmp3_restart();
                                     return paused;
                                 },
                                 false},
                      ChangeCase{"Stop", kFadeMs,
                                 [](PlaybackEngine& engine) {
                                     engine.vbmp3_stop();
                                     return std::vector<float>();
                                 },
                                 false},
                      ChangeCase{"StopThenPlay", kFadeMs,
                                 [](PlaybackEngine& engine) {
                                     engine.vbmp3_stop();
                                     engine.vbmp3_play();
                                     return std::vector<float>();
                                 },
                                 false},
                      ChangeCase{"Seek", kFadeMs, seekTwoSeconds, false},
                      ChangeCase{"SeekWithoutFade", 0, seekTwoSeconds, true},
                      ChangeCase{"VolumeDown", kFadeMs,
                                 [](PlaybackEngine& engine) {
                                     engine.vbmp3_setVolume(0, 0);
                                     return std::vector<float>();
                                 },
                                 false},
                      ChangeCase{"VolumeDownOneChannelWithoutFade", 0,
                                 [](PlaybackEngine& engine) {
                                     engine.vbmp3_setVolume(100, 0);
                                     return std::vector<float>();
                                 },
                                 false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
