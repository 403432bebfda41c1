#include "audio/playback_engine.h"
#include "support/generated_sources.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace lyricue {

namespace {

constexpr int kRate = 44100;
constexpr double kFiveMs = 0.005 * kRate;

class PlaybackSpeed : public testing::TestWithParam<int> {
protected:
    double speed() const { return GetParam() / 100.0; }
    PlaybackEngine engine{PlaybackEngine::Output::Manual};
};

// The clock counts track time: after n frames are heard at speed s, n × s frames of the
// track have passed, in frames, in milliseconds and in whole seconds.
TEST_P(PlaybackSpeed, ClockCountsTrackTime)
{
    ASSERT_EQ(engine.openSource(std::make_unique<ToneSource>(kRate, 440.0, 8.0, 0.5f)), 1);
    ASSERT_EQ(engine.setPlaybackSpeed(GetParam()), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    std::vector<float> block(2 * 4410);
    for (int heard = 4410; heard <= 4410 * 30; heard += 4410) {
        ASSERT_EQ(engine.render(block.data(), 4410), 4410);
        EXPECT_NEAR(double(engine.playFrame()), heard * speed(), kFiveMs) << heard;
    }
    const double trackMs = 4410 * 30 * speed() / kRate * 1000;
    EXPECT_NEAR(engine.vbmp3_getWinampPlayMs(), trackMs, 5.0);
    std::int32_t seconds = -1;
    engine.vbmp3_getState(seconds);
    EXPECT_EQ(seconds, int(trackMs / 1000));
}

// The frame heard when a burst starts to sound is the burst's own first frame: the
// stretcher's delay is not counted as track time. What a stamp at that moment writes.
TEST_P(PlaybackSpeed, PositionWhenABurstStartsIsItsFirstFrame)
{
    const std::int64_t firstBurst = kRate / 2;
    const std::int64_t every = kRate / 2;
    ASSERT_EQ(engine.openSource(std::make_unique<BurstSource>(kRate, 4.0, firstBurst, every)), 1);
    ASSERT_EQ(engine.setPlaybackSpeed(GetParam()), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    constexpr int kBlock = 16;
    std::vector<float> block(2 * kBlock);
    std::vector<float> left;
    std::vector<std::int64_t> heardAfterBlock;
    while (engine.render(block.data(), kBlock) == kBlock) {
        for (int i = 0; i < kBlock; ++i)
            left.push_back(block[std::size_t(i) * 2]);
        heardAfterBlock.push_back(engine.playFrame());
    }
    int bursts = 0;
    for (std::int64_t burst = firstBurst; burst < 3 * kRate; burst += every, ++bursts) {
        // The onset: the first output frame near where the burst should start that
        // reaches half the burst's height.
        const auto expected = std::int64_t(double(burst) / speed());
        std::int64_t onset = expected - kRate / 10;
        while (onset < expected + kRate / 10 && std::fabs(left[std::size_t(onset)]) < 0.4f)
            ++onset;
        ASSERT_LT(onset, expected + kRate / 10) << "no burst near " << burst;
        // The position read right after the block that holds it, less what follows it there.
        const std::size_t blockIndex = std::size_t(onset) / kBlock;
        const double framesAfter = double((blockIndex + 1) * kBlock - std::size_t(onset) - 1);
        const double heard = double(heardAfterBlock[blockIndex]) - framesAfter * speed();
        EXPECT_NEAR(heard, double(burst), kFiveMs) << "burst at " << burst;
    }
    EXPECT_EQ(bursts, 5);
}

// A seek during slow play lands on its second and plays on in track time.
TEST_P(PlaybackSpeed, SeekKeepsTheSpeed)
{
    ASSERT_EQ(engine.vbmp3_setLyricsFile(testDataPath(QStringLiteral("lyrics_cp932_crlf.txt"))), 1);
    TrackOpenRecord info{};
    ASSERT_EQ(engine.vbmp3_open(testDataPath(QStringLiteral("noise.flac")), info), 1);
    ASSERT_EQ(engine.setPlaybackSpeed(GetParam()), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    ASSERT_EQ(engine.vbmp3_seek(1), 1);
    std::vector<float> block(2 * 2205);
    ASSERT_EQ(engine.render(block.data(), 2205), 2205);
    EXPECT_NEAR(engine.playFrame(), 22050 + 2205 * speed(), 0.005 * 22050);
}

INSTANTIATE_TEST_SUITE_P(Percent, PlaybackSpeed, testing::Values(50, 80));

TEST(PlaybackSpeedRange, OnlyFiftyToHundredPercent)
{
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    EXPECT_EQ(engine.setPlaybackSpeed(49), 0);
    EXPECT_EQ(engine.setPlaybackSpeed(101), 0);
    EXPECT_EQ(engine.setPlaybackSpeed(50), 1);
    EXPECT_EQ(engine.setPlaybackSpeed(100), 1);
}

}  // namespace

}  // namespace lyricue
