// The engine driven through render() with no sound device: lengths, positions in
// samples, transport, volume, options, file information, lyrics, bad files.
#include "audio/playback_engine.h"
#include "support/test_files.h"

#include "audio/decoder_reading.h"
#include "audio/engine_render.h"
#include "text/record_text.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <limits>
#include <random>

namespace lyricue {

using namespace engine_render;

namespace {

constexpr int kRate = 44100;

// Frames of the 3 s tone with gapless trimming (LAME tag), and without it: 116 MPEG
// frames of 1152 samples, encoder delay and padding included.
constexpr std::int64_t kTrimmedFrames = 132300;
constexpr std::int64_t kUntrimmedFrames = 133632;

// After a seek the decoder's float rounding may differ by about 1e-7; one sample off
// differs by about 0.03 on the 440 Hz tone.
constexpr float kSameSamples = 1e-5f;

class PlaybackEngineTest : public ::testing::Test {
protected:
    void SetUp() override { useExactOutput(m_engine); }

    void open(const char* name)
    {
        TrackOpenRecord info;
        ASSERT_EQ(m_engine.vbmp3_open(testDataPath(QString::fromUtf8(name)), info), 1) << name;
    }

    // The whole decoded track, for comparing samples.
    std::vector<float> reference(const char* name)
    {
        PlaybackEngine engine(PlaybackEngine::Output::Manual);
        useExactOutput(engine);
        TrackOpenRecord info;
        EXPECT_EQ(engine.vbmp3_open(testDataPath(QString::fromUtf8(name)), info), 1);
        engine.vbmp3_play();
        return renderToEnd(engine).samples;
    }

    std::int32_t state()
    {
        std::int32_t seconds = -1;
        return m_engine.vbmp3_getState(seconds);
    }

    PlaybackEngine m_engine{PlaybackEngine::Output::Manual};
};

struct TrackCase {
    const char* file;
    std::int64_t decodedFrames;
    int channels;
    bool hasXing;
    bool isRiff;
    bool isVbr;
    int encoderDelay;
};

void PrintTo(const TrackCase& track, std::ostream* out)
{
    *out << track.file;
}

class PlaybackEngineTrackTest : public PlaybackEngineTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(PlaybackEngineTrackTest, LengthIsExactAndEveryFramePlays)
{
    const TrackCase& track = GetParam();
    TrackOpenRecord info;
    ASSERT_EQ(m_engine.vbmp3_open(testDataPath(QString::fromUtf8(track.file)), info), 1);
    EXPECT_EQ(info.lengthSeconds, track.decodedFrames / kRate);
    EXPECT_EQ(info.sampleRate, kRate);
    EXPECT_EQ(info.channels, track.channels);
    EXPECT_EQ(record_text::bytes(info.format), QByteArray("MPEG 1 Layer III"));
    EXPECT_EQ(record_text::bytes(info.mode), track.channels == 1 ? QByteArray("Mono") : QByteArray("Stereo"));

    TrackTagRecord tags;
    TrackDetailRecord detail;
    TrackTextRecord texts;
    m_engine.vbmp3_getFileInfo2(testDataPath(QString::fromUtf8(track.file)), tags, detail, texts);
    EXPECT_EQ(detail.lengthMs, track.decodedFrames * 1000 / kRate);
    EXPECT_EQ(detail.hasXingHeader, track.hasXing ? 1 : 0);
    EXPECT_EQ(detail.isRiff, track.isRiff ? 1 : 0);
    EXPECT_EQ(detail.isVbr, track.isVbr ? 1 : 0);
    EXPECT_EQ(detail.encoderDelay, track.encoderDelay);
    EXPECT_EQ(detail.frameCount, 116);
    EXPECT_EQ(detail.mpegVersion, 1);
    EXPECT_EQ(detail.layer, 3);

    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    EXPECT_EQ(renderToEnd(m_engine).returned, track.decodedFrames);
    EXPECT_EQ(state(), EngineStopped);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PlaybackEngineTrackTest,
                         ::testing::Values(TrackCase{"tone_xing.mp3", kTrimmedFrames, 1, true, false, false, 576},
                                           TrackCase{"tone_noxing.mp3", kUntrimmedFrames, 1, false, false, false, -1},
                                           TrackCase{"tone_vbr_noxing.mp3", kUntrimmedFrames, 1, false, false, true, -1},
                                           TrackCase{"tone.rmp", kTrimmedFrames, 1, true, true, false, 576},
                                           TrackCase{"tone_noinfo.rmp", kTrimmedFrames, 1, true, true, false, 576},
                                           TrackCase{"tagged_id3v2.mp3", kUntrimmedFrames, 1, false, false, false, -1},
                                           TrackCase{"tone_stereo.mp3", kTrimmedFrames, 2, true, false, false, 576}),
                         [](const auto& info) { return fileTestName(info.param.file); });

TEST_F(PlaybackEngineTest, RmpPlaysTheSameSamplesAsItsMp3)
{
    const std::vector<float> mp3 = reference("tone_xing.mp3");
    const std::vector<float> rmp = reference("tone.rmp");
    ASSERT_EQ(rmp.size(), mp3.size());
    EXPECT_EQ(largestDifference(rmp, mp3, 0), 0.0f);
}

TEST_F(PlaybackEngineTest, RefusesFilesWithNoFrameThatDecodes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QString::fromUtf8(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const auto fixtureBytes = [](const char* name) {
        QFile file(testDataPath(QString::fromUtf8(name)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    std::mt19937 generator(20240607);
    QByteArray noise(256 * 1024, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(generator());
    const QByteArray xing = fixtureBytes("tone_xing.mp3");
    QDir(dir.path()).mkdir(QStringLiteral("folder.mp3"));

    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"missing file", dir.filePath(QStringLiteral("missing.mp3"))},
        {"empty file", write("empty.mp3", {})},
        {"directory", dir.filePath(QStringLiteral("folder.mp3"))},
        {"random bytes, 64 KB", write("noise64.mp3", noise.first(64 * 1024))},
        {"random bytes, 256 KB", write("noise256.mp3", noise)},
        {"Info frame and a piece of the next", write("head.mp3", xing.first(300))},
        {"RIFF without a data chunk", write("nodata.rmp", QByteArray("RIFF\x04\0\0\0RMP3", 12))},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.what);
        TrackOpenRecord info;
        std::memset(&info, 0x55, sizeof info);
        EXPECT_EQ(m_engine.vbmp3_open(bad.path, info), 0);
        EXPECT_EQ(info.lengthSeconds, 0);
        EXPECT_EQ(info.format[0], '\0');
        EXPECT_EQ(m_engine.vbmp3_play(), 0);
        EXPECT_EQ(state(), EngineStopped);
        EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 0);
    }
    open("tone_xing.mp3");
    EXPECT_EQ(m_engine.vbmp3_play(), 1);
}

TEST_F(PlaybackEngineTest, FailedOpenClosesThePreviousTrack)
{
    open("tone_xing.mp3");
    TrackOpenRecord info;
    EXPECT_EQ(m_engine.vbmp3_open(testDataPath(QStringLiteral("missing.mp3")), info), 0);
    EXPECT_EQ(m_engine.vbmp3_play(), 0);
}

// An Info header may claim far more frames than the file holds, years of sound: the
// details' 32-bit counts then stop at their largest value instead of wrapping round.
TEST_F(PlaybackEngineTest, HugeFrameCountInTheHeaderIsClampedInTheDetails)
{
    QFile fixture(testDataPath(QStringLiteral("tone_xing.mp3")));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    QByteArray bytes = fixture.readAll();
    const qsizetype header = bytes.indexOf("Info");
    ASSERT_GT(header, 0);
    // The flags (0x0F) come first, then the frame count: 4294967040 frames, 3.5 years.
    bytes.replace(header + 8, 4, QByteArray("\xFF\xFF\xFF\x00", 4));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("huge.mp3"));
    writeTestFile(path, bytes);

    constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
    TrackOpenRecord info;
    ASSERT_EQ(m_engine.vbmp3_open(path, info), 1);
    EXPECT_GT(info.lengthSeconds, kMost / 1000);
    TrackTagRecord tags;
    TrackDetailRecord detail;
    TrackTextRecord texts;
    ASSERT_EQ(m_engine.vbmp3_getFileInfo2(path, tags, detail, texts), 1);
    EXPECT_EQ(detail.lengthMs, kMost);
    EXPECT_EQ(detail.frameCount, kMost);
}

// A damaged file whose Info header claims 3.5 years, kept as the fuzzer found it: mpg123
// lands billions of frames short of a seek into those years, and the stream ends long
// before them. The seek must neither try to hold all those frames at once nor fail.
TEST_F(PlaybackEngineTest, SeekFarIntoALengthTheStreamLacksEndsTheTrack)
{
    TrackOpenRecord info;
    ASSERT_EQ(m_engine.vbmp3_open(testDataPath(QStringLiteral("damaged_huge_info_count.mp3")), info), 1);
    ASSERT_GT(info.lengthSeconds, 100000000);
    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    renderFrames(m_engine, 1000);

    ASSERT_EQ(m_engine.vbmp3_seek(info.lengthSeconds / 2), 1);
    EXPECT_LT(m_engine.playFrame(), std::int64_t(info.lengthSeconds / 2) * info.sampleRate);
    EXPECT_EQ(renderFrames(m_engine, 1000).returned, 0);
    EXPECT_EQ(state(), EngineStopped);
}

TEST_F(PlaybackEngineTest, PositionCountsRenderedFrames)
{
    open("tone_xing.mp3");
    EXPECT_EQ(m_engine.playFrame(), 0);
    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    EXPECT_EQ(m_engine.playFrame(), 0);
    renderFrames(m_engine, 1000, 300);
    EXPECT_EQ(m_engine.playFrame(), 1000);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 22);  // 1000 / 44.1 = 22.7
    renderFrames(m_engine, 2 * kRate + 441);
    EXPECT_EQ(m_engine.playFrame(), 1000 + 2 * kRate + 441);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 2032);  // 89641 / 44.1 = 2032.7
    std::int32_t seconds = -1;
    EXPECT_EQ(m_engine.vbmp3_getState(seconds), EnginePlaying);
    EXPECT_EQ(seconds, 2);
}

enum class SeekFrom { Stopped, Paused, Playing };

void PrintTo(SeekFrom from, std::ostream* out)
{
    *out << (from == SeekFrom::Stopped ? "stopped" : from == SeekFrom::Paused ? "paused" : "playing");
}

class PlaybackEngineSeekTest : public PlaybackEngineTest, public ::testing::WithParamInterface<SeekFrom> {
protected:
    // Stopped as opened, or playing (or paused) 30,000 frames in.
    void enterStateSeekedFrom()
    {
        if (GetParam() != SeekFrom::Stopped) {
            m_engine.vbmp3_play();
            renderFrames(m_engine, 30000);
        }
        if (GetParam() == SeekFrom::Paused)
            m_engine.vbmp3_pause();
    }
};

TEST_P(PlaybackEngineSeekTest, LandsOnTheExactSample)
{
    const std::vector<float> whole = reference("tone_xing.mp3");
    open("tone_xing.mp3");
    enterStateSeekedFrom();

    ASSERT_EQ(m_engine.vbmp3_seek(1), 1);
    EXPECT_EQ(m_engine.playFrame(), kRate);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 1000);
    EXPECT_EQ(state(), GetParam() == SeekFrom::Stopped ? EngineStopped
                       : GetParam() == SeekFrom::Paused ? EnginePaused
                                                        : EnginePlaying);
    m_engine.vbmp3_play();
    const Rendered after = renderFrames(m_engine, 3000);
    EXPECT_LT(largestDifference(after.samples, whole, kRate), kSameSamples);
    EXPECT_EQ(m_engine.playFrame(), kRate + 3000);
}

// A stray Layer I frame at 0.95 s upsets mpg123's count of frames: a seek past it lands
// near the second asked for, and the engine counts on from where it landed.
TEST_P(PlaybackEngineSeekTest, LandsNearTheSecondWhereTheStreamMixesLayers)
{
    open("tone_mixed_layers.mp3");
    enterStateSeekedFrom();

    ASSERT_EQ(m_engine.vbmp3_seek(1), 1);
    const std::int64_t landed = m_engine.playFrame();
    EXPECT_NEAR(double(landed), double(kRate), 1152.0);  // within one MPEG frame
    std::int32_t seconds = -1;
    EXPECT_EQ(m_engine.vbmp3_getState(seconds), GetParam() == SeekFrom::Stopped ? EngineStopped
                                                : GetParam() == SeekFrom::Paused ? EnginePaused
                                                                                 : EnginePlaying);
    EXPECT_EQ(seconds, 1);
    m_engine.vbmp3_play();
    EXPECT_EQ(renderFrames(m_engine, 3000).returned, 3000);
    EXPECT_EQ(m_engine.playFrame(), landed + 3000);
}

INSTANTIATE_TEST_SUITE_P(States, PlaybackEngineSeekTest,
                         ::testing::Values(SeekFrom::Stopped, SeekFrom::Paused, SeekFrom::Playing),
                         [](const auto& info) {
                             return std::string(info.param == SeekFrom::Stopped  ? "Stopped"
                                                : info.param == SeekFrom::Paused ? "Paused"
                                                                                 : "Playing");
                         });

// Pause, resume and speed changes seek to any frame, not whole seconds only. After a seek
// the samples are those of a decoding from the start, also where the bit reservoir of a
// note after silence reaches back over many small VBR frames.
class Mp3SeekTest : public ::testing::TestWithParam<const char*> {};

TEST_P(Mp3SeekTest, AnyFrameGivesTheSamplesOfAStraightDecode)
{
    std::unique_ptr<Decoder> decoder = decoder_reading::openFixture(GetParam());
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> whole = decoder_reading::readLeft(*decoder);
    ASSERT_EQ(std::int64_t(whole.size()), decoder->lengthFrames());
    std::mt19937 random(7);
    std::vector<std::int64_t> off;
    for (int i = 0; i < 120; ++i) {
        const std::int64_t target = std::uniform_int_distribution<std::int64_t>(0, decoder->lengthFrames() - 1)(random);
        ASSERT_TRUE(decoder->seek(target).ok()) << target;
        ASSERT_EQ(decoder->position(), target);
        const std::vector<float> heard = decoder_reading::readLeft(*decoder, 2400);
        float largest = 0;
        for (std::size_t j = 0; j < heard.size(); ++j)
            largest = std::max(largest, std::fabs(heard[j] - whole[std::size_t(target) + j]));
        if (largest > kSameSamples || heard.empty())
            off.push_back(target);
    }
    EXPECT_TRUE(off.empty()) << off.size() << " of 120 seeks differ, the first at frame " << off.front();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Mp3SeekTest,
                         ::testing::Values("notes_vbr.mp3", "notes_vbr_22k.mp3", "tone_vbr_noxing.mp3", "tone_xing.mp3"),
                         [](const auto& info) { return fileTestName(info.param); });

TEST_F(PlaybackEngineTest, SeekOutsideTheTrackChangesNothing)
{
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 5000);
    for (const std::int32_t seconds : {-1, 4, 1000000}) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(m_engine.vbmp3_seek(seconds), 0);
        EXPECT_EQ(m_engine.playFrame(), 5000);
    }
    // The end itself is a place to seek to: playback ends at once.
    EXPECT_EQ(m_engine.vbmp3_seek(3), 1);
    EXPECT_EQ(renderFrames(m_engine, 100).returned, 0);
    EXPECT_EQ(state(), EngineStopped);
}

TEST_F(PlaybackEngineTest, TransportStates)
{
    const struct {
        const char* call;
        std::int32_t result;
        EngineState state;
    } steps[] = {
        {"pause", 0, EngineStopped},  {"restart", 0, EngineStopped}, {"play", 1, EnginePlaying},
        {"play", 1, EnginePlaying},   {"pause", 1, EnginePaused},    {"pause", 0, EnginePaused},
        {"restart", 1, EnginePlaying}, {"restart", 0, EnginePlaying}, {"pause", 1, EnginePaused},
        {"play", 1, EnginePlaying},   {"stop", 1, EngineStopped},    {"stop", 1, EngineStopped},
    };
    EXPECT_EQ(m_engine.vbmp3_play(), 0) << "no track open";
    open("tone_xing.mp3");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.call);
        const QByteArrayView call(step.call);
        const std::int32_t result = call == "play"    ? m_engine.vbmp3_play()
                                    : call == "pause" ? m_engine.vbmp3_pause()
                                    : call == "restart" ? m_engine.vbmp3_restart()
                                                        : m_engine.vbmp3_stop();
        EXPECT_EQ(result, step.result);
        EXPECT_EQ(state(), step.state);
        renderFrames(m_engine, 500);
    }
}

TEST_F(PlaybackEngineTest, PauseHoldsThePositionAndResumesWhereItStopped)
{
    const std::vector<float> whole = reference("tone_xing.mp3");
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 5000);
    ASSERT_EQ(m_engine.vbmp3_pause(), 1);
    EXPECT_EQ(m_engine.playFrame(), 5000);
    const Rendered paused = renderFrames(m_engine, 2000);
    EXPECT_EQ(paused.returned, 0);
    EXPECT_EQ(largestDifference(paused.samples, std::vector<float>(paused.samples.size()), 0), 0.0f);
    EXPECT_EQ(m_engine.playFrame(), 5000);
    ASSERT_EQ(m_engine.vbmp3_restart(), 1);
    const Rendered resumed = renderFrames(m_engine, 1000);
    EXPECT_LT(largestDifference(resumed.samples, whole, 5000), kSameSamples);
    EXPECT_EQ(m_engine.playFrame(), 6000);
}

TEST_F(PlaybackEngineTest, StopReturnsToTheStart)
{
    const std::vector<float> whole = reference("tone_xing.mp3");
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 10000);
    ASSERT_EQ(m_engine.vbmp3_stop(), 1);
    EXPECT_EQ(m_engine.playFrame(), 0);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 0);
    m_engine.vbmp3_play();
    EXPECT_LT(largestDifference(renderFrames(m_engine, 2000).samples, whole, 0), kSameSamples);
}

TEST_F(PlaybackEngineTest, TrackThatPlaysToItsEndStops)
{
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    m_engine.vbmp3_seek(2);
    // 44100 frames are left: ten blocks of 4096 and 3140 frames of an eleventh.
    const Rendered last = renderFrames(m_engine, 11 * 4096, 4096);
    EXPECT_EQ(last.returned, kRate);
    EXPECT_EQ(largestDifference(std::vector<float>(last.samples.begin() + 2 * kRate, last.samples.end()),
                                std::vector<float>(), 0),
              0.0f)
        << "silence after the end";
    std::int32_t seconds = -1;
    EXPECT_EQ(m_engine.vbmp3_getState(seconds), EngineStopped);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(m_engine.playFrame(), 0);
    EXPECT_EQ(m_engine.vbmp3_play(), 1);
    EXPECT_EQ(renderFrames(m_engine, 1000).returned, 1000);
}

TEST_F(PlaybackEngineTest, VolumeScalesEachChannel)
{
    const std::vector<float> whole = reference("tone_stereo.mp3");
    std::int32_t left = -1;
    std::int32_t right = -1;
    m_engine.vbmp3_getVolume(left, right);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(right, 100);

    ASSERT_EQ(m_engine.vbmp3_setVolume(50, 25), 1);
    for (const auto& [l, r] : {std::pair{101, 50}, std::pair{50, -1}, std::pair{-5, 200}}) {
        SCOPED_TRACE(testing::Message() << l << ", " << r);
        EXPECT_EQ(m_engine.vbmp3_setVolume(l, r), 0);
    }
    m_engine.vbmp3_getVolume(left, right);
    EXPECT_EQ(left, 50);
    EXPECT_EQ(right, 25);

    open("tone_stereo.mp3");
    m_engine.vbmp3_play();
    EXPECT_LT(largestDifference(renderFrames(m_engine, 4000).samples, whole, 0, 0.5f, 0.25f), 1e-6f);
    // A change ramps over the next block; after it the new volume holds.
    m_engine.vbmp3_setVolume(0, 100);
    renderFrames(m_engine, 1024);
    EXPECT_LT(largestDifference(renderFrames(m_engine, 4000).samples, whole, 5024, 0.0f, 1.0f), 1e-6f);
}

TEST_F(PlaybackEngineTest, OptionRecordsTakeWhatTheEngineCanHonour)
{
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, 48000};
    EXPECT_NE(m_engine.vbmp3_setVbmp3Option(engineOptions), 0);
    EXPECT_NE(m_engine.vbmp3_setDecodeOption(decodeOptions), 0);

    const EngineOptionRecord badEngine[] = {
        {0, 25, 20, 0}, {8192, 25, 20, 0}, {128, 1, 20, 0}, {128, 1000, 20, 0}, {128, 25, -1, 0}, {128, 25, 20, 7},
    };
    for (std::size_t i = 0; i < std::size(badEngine); ++i) {
        EngineOptionRecord options = badEngine[i];
        EXPECT_EQ(m_engine.vbmp3_setVbmp3Option(options), 0) << "engine options case " << i;
    }
    const DecodeOptionRecord badDecode[] = {{2, 0, 48000}, {0, 1, 48000}, {0, 0, 100}, {0, 0, 400000}, {0, 0, -1}};
    for (std::size_t i = 0; i < std::size(badDecode); ++i) {
        DecodeOptionRecord options = badDecode[i];
        EXPECT_EQ(m_engine.vbmp3_setDecodeOption(options), 0) << "decode options case " << i;
    }

    // A refused record leaves the accepted one in force: 48000 output frames are 1 s.
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 48000);
    EXPECT_EQ(m_engine.playFrame(), kRate);
}

TEST_F(PlaybackEngineTest, OtherOutputRateStillCountsTrackFrames)
{
    DecodeOptionRecord options{0, 0, 48000};
    ASSERT_EQ(m_engine.vbmp3_setDecodeOption(options), 1);
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 4800);
    EXPECT_EQ(m_engine.playFrame(), 4410);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 100);
    m_engine.vbmp3_seek(2);
    EXPECT_EQ(m_engine.playFrame(), 2 * kRate);
    renderFrames(m_engine, 24000);
    EXPECT_EQ(m_engine.playFrame(), 2 * kRate + kRate / 2);
    // The rest of the track, to its last frame: 0.5 s at 48 kHz.
    EXPECT_EQ(renderToEnd(m_engine).returned, 24000);
    EXPECT_EQ(state(), EngineStopped);
}

TEST_F(PlaybackEngineTest, FadeInRampsUpWherePlaybackStartsOrJumps)
{
    const std::vector<float> whole = reference("tone_xing.mp3");
    EngineOptionRecord options{128, 25, 20, 0};  // 20 ms: 882 frames
    ASSERT_EQ(m_engine.vbmp3_setVbmp3Option(options), 1);
    open("tone_xing.mp3");
    const auto checkRamp = [&](std::int64_t from) {
        const Rendered out = renderFrames(m_engine, 2000);
        for (int frame : {0, 441, 881, 882, 1500}) {
            SCOPED_TRACE(frame);
            const float gain = std::min(1.0f, frame / 882.0f);
            EXPECT_NEAR(out.samples[2 * frame], whole[2 * (from + frame)] * gain, 1e-6f);
        }
    };
    m_engine.vbmp3_play();
    checkRamp(0);
    m_engine.vbmp3_seek(1);
    renderFrames(m_engine, 882);  // what played before the jump fades out first
    checkRamp(kRate);
}

TEST_F(PlaybackEngineTest, ForceMonoMixesBothChannels)
{
    const std::vector<float> whole = reference("tone_stereo.mp3");
    DecodeOptionRecord mono{1, 0, 0};
    ASSERT_EQ(m_engine.vbmp3_setDecodeOption(mono), 1);
    open("tone_stereo.mp3");
    m_engine.vbmp3_play();
    const Rendered out = renderFrames(m_engine, 3000);
    float largest = 0;
    float channelGap = 0;
    for (std::size_t i = 0; i < out.samples.size(); i += 2) {
        largest = std::max(largest, std::fabs(out.samples[i] - (whole[i] + whole[i + 1]) / 2));
        largest = std::max(largest, std::fabs(out.samples[i + 1] - (whole[i] + whole[i + 1]) / 2));
        channelGap = std::max(channelGap, std::fabs(whole[i] - whole[i + 1]));
    }
    EXPECT_LT(largest, 1e-6f);
    EXPECT_GT(channelGap, 0.1f) << "the fixture's channels differ";
}

TEST_F(PlaybackEngineTest, FileInfoTakesTagsAndTextsFromTheFile)
{
    TrackTagRecord tags;
    TrackDetailRecord detail;
    TrackTextRecord texts;
    // Not the open track: the engine reads the file on its own.
    EXPECT_EQ(m_engine.vbmp3_getFileInfo2(testDataPath(QStringLiteral("tone.rmp")), tags, detail, texts), 1);
    EXPECT_EQ(record_text::bytes(texts.texts[0]), QByteArray("\x8f\x74\x82\xcc\x89\xcc"));  // 春の歌
    EXPECT_EQ(detail.isRiff, 1);
    EXPECT_EQ(detail.lengthMs, 3000);

    EXPECT_EQ(m_engine.vbmp3_getFileInfo2(testDataPath(QStringLiteral("tagged_id3v2.mp3")), tags, detail, texts), 1);
    EXPECT_EQ(record_text::bytes(tags.title), QByteArray("\x8f\x48\x82\xcc\x8b\xf3"));  // 秋の空
    EXPECT_EQ(detail.hasId3v2, 1);
    EXPECT_EQ(detail.hasId3v1, 1);
    EXPECT_EQ(detail.lengthMs, 3030);
}

TEST_F(PlaybackEngineTest, LyricsFollowThePositionHeard)
{
    open("tone_xing.mp3");
    LyricsLinesRecord lines;
    m_engine.vbmp3_play();
    renderFrames(m_engine, kRate * 3 / 2);
    m_engine.vbmp3_getLyrics(lines);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(record_text::bytes(lines.lines[i]), QByteArray()) << "no lyrics file: line " << i;

    ASSERT_EQ(m_engine.vbmp3_setLyricsFile(testDataPath(QStringLiteral("lyrics_cp932_crlf.txt"))), 1);
    m_engine.vbmp3_getLyrics(lines);
    // At 1.5 s: 0.5 s "はじめの行" has passed, 1 s "二行目" is current, 2 s "三行目 end" comes.
    EXPECT_EQ(record_text::bytes(lines.lines[2]), QByteArray("\x93\xf1\x8d\x73\x96\xda"));
    EXPECT_EQ(record_text::bytes(lines.lines[3]), QByteArray("\x82\xcd\x82\xb6\x82\xdf\x82\xcc\x8d\x73"));
    EXPECT_EQ(record_text::bytes(lines.lines[1]), QByteArray("\x8e\x4f\x8d\x73\x96\xda end"));

    EXPECT_EQ(m_engine.vbmp3_setLyricsFile(testDataPath(QStringLiteral("no_such_lyrics.txt"))), 0);
    m_engine.vbmp3_getLyrics(lines);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(record_text::bytes(lines.lines[i]), QByteArray()) << "unreadable file: line " << i;
}

TEST_F(PlaybackEngineTest, SungExtentBelongsToTheLinesLastFetched)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("lyrics.txt"));
    writeTestFile(path, QStringLiteral("[00:00:50]あ[00:01:00]い\r\n[00:02:00]plain\r\n").toUtf8());
    open("tone_xing.mp3");
    ASSERT_EQ(m_engine.vbmp3_setLyricsFile(path), 1);
    m_engine.vbmp3_play();
    LyricsLinesRecord lines;
    renderFrames(m_engine, kRate * 3 / 4);
    m_engine.vbmp3_getLyrics(lines);
    // Heard on to 2.5 s, where the plain line has no extent: the answer stays with the
    // line of the record, at 0.75 s, halfway through "あ".
    renderFrames(m_engine, kRate * 7 / 4);
    const std::optional<double> extent = m_engine.lyricsSungExtent();
    ASSERT_TRUE(extent);
    EXPECT_NEAR(*extent, 0.5, 0.01);

    m_engine.vbmp3_getLyrics(lines);
    EXPECT_EQ(m_engine.lyricsSungExtent(), std::nullopt);
}

TEST_F(PlaybackEngineTest, LifecycleCallsAndCallsAfterFree)
{
    EXPECT_EQ(m_engine.vbmp3_init(), 1);
    EXPECT_EQ(m_engine.vbmp3_getVersion(), 100);
    open("tone_xing.mp3");
    m_engine.vbmp3_play();
    renderFrames(m_engine, 1000);
    EXPECT_EQ(m_engine.vbmp3_stop(), 1);
    EXPECT_EQ(m_engine.vbmp3_stopCallback(), 1);
    EXPECT_EQ(m_engine.vbmp3_free(), 1);

    EXPECT_EQ(m_engine.vbmp3_play(), 0);
    EXPECT_EQ(m_engine.vbmp3_seek(1), 0);
    EXPECT_EQ(m_engine.vbmp3_pause(), 0);
    EXPECT_EQ(state(), EngineStopped);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 0);
    EXPECT_EQ(renderFrames(m_engine, 100).returned, 0);
    LyricsLinesRecord lines;
    m_engine.vbmp3_getLyrics(lines);
    EXPECT_EQ(m_engine.vbmp3_close(), 1);
    EXPECT_EQ(m_engine.vbmp3_free(), 1);
}

}  // namespace

}  // namespace lyricue
