// The engine on a sound device: SDL's dummy driver (set by the test main), and a
// machine where no driver can be opened.
#include "audio/playback_engine.h"

#include "support/generated_sources.h"
#include "support/test_data.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

namespace lyricue {

namespace {

using namespace std::chrono_literals;

class PlaybackEngineDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_engine.vbmp3_init(), 1);
        EngineOptionRecord engineOptions{128, 25, 20, 0};
        DecodeOptionRecord decodeOptions{0, 0, 48000};
        ASSERT_EQ(m_engine.vbmp3_setVbmp3Option(engineOptions), 1);
        ASSERT_EQ(m_engine.vbmp3_setDecodeOption(decodeOptions), 1);
        TrackOpenRecord info;
        ASSERT_EQ(m_engine.vbmp3_open(testDataPath(QStringLiteral("tone_xing.mp3")), info), 1);
    }
    void TearDown() override
    {
        m_engine.vbmp3_stop();
        m_engine.vbmp3_stopCallback();
        m_engine.vbmp3_free();
    }

    std::int32_t state()
    {
        std::int32_t seconds = 0;
        return m_engine.vbmp3_getState(seconds);
    }

    // Waits until the position heard passes `ms`; false after `limit`.
    bool waitForMs(std::int32_t ms, std::chrono::milliseconds limit = 3000ms)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (m_engine.vbmp3_getWinampPlayMs() < ms) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    PlaybackEngine m_engine{PlaybackEngine::Output::Device};
};

TEST_F(PlaybackEngineDeviceTest, PlaysPausesAndStops)
{
    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    EXPECT_EQ(state(), EnginePlaying);
    ASSERT_TRUE(waitForMs(300));

    // The position moves on with the steady clock, never back.
    std::int32_t last = m_engine.vbmp3_getWinampPlayMs();
    const auto begin = std::chrono::steady_clock::now();
    const std::int32_t first = last;
    while (std::chrono::steady_clock::now() - begin < 300ms) {
        const std::int32_t now = m_engine.vbmp3_getWinampPlayMs();
        ASSERT_GE(now, last);
        last = now;
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_NEAR(last - first, 300, 60);

    // Pause holds what was heard, not where decoding had got to (up to a device buffer
    // further); five tries, since the gap depends on where in its buffer the device is.
    for (int round = 0; round < 5; ++round) {
        const std::int32_t before = m_engine.vbmp3_getWinampPlayMs();
        ASSERT_EQ(m_engine.vbmp3_pause(), 1);
        const std::int32_t after = m_engine.vbmp3_getWinampPlayMs();
        EXPECT_GE(after, before);
        EXPECT_LE(after, before + 5) << "round " << round;
        ASSERT_EQ(m_engine.vbmp3_restart(), 1);
        std::this_thread::sleep_for(37ms);
    }

    ASSERT_EQ(m_engine.vbmp3_pause(), 1);
    EXPECT_EQ(state(), EnginePaused);
    const std::int32_t held = m_engine.vbmp3_getWinampPlayMs();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), held);

    ASSERT_EQ(m_engine.vbmp3_restart(), 1);
    EXPECT_TRUE(waitForMs(held + 100));

    ASSERT_EQ(m_engine.vbmp3_seek(2), 1);
    EXPECT_GE(m_engine.vbmp3_getWinampPlayMs(), 2000);
    EXPECT_LT(m_engine.vbmp3_getWinampPlayMs(), 2100);

    ASSERT_EQ(m_engine.vbmp3_stop(), 1);
    EXPECT_EQ(state(), EngineStopped);
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 0);
}

TEST_F(PlaybackEngineDeviceTest, TrackThatPlaysToItsEndStops)
{
    ASSERT_EQ(m_engine.vbmp3_seek(2), 1);
    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    std::int32_t last = 2000;
    while (state() == EnginePlaying && std::chrono::steady_clock::now() < deadline) {
        const std::int32_t now = m_engine.vbmp3_getWinampPlayMs();
        // The end may come between the two calls: a stopped engine says 0.
        if (state() != EnginePlaying)
            break;
        EXPECT_GE(now, last);
        EXPECT_LE(now, 3000);
        last = now;
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(state(), EngineStopped);
    EXPECT_GT(last, 2900) << "the end was heard before the stop";
    EXPECT_EQ(m_engine.vbmp3_getWinampPlayMs(), 0);
    EXPECT_EQ(m_engine.vbmp3_play(), 1) << "plays again from the start";
}

// Calls from this thread while the device's thread renders; ThreadSanitizer builds
// check that no access races.
TEST_F(PlaybackEngineDeviceTest, CallsWhileTheDeviceRendersAreSafe)
{
    ASSERT_TRUE(m_engine.vbmp3_setLyricsFile(testDataPath(QStringLiteral("lyrics_cp932_crlf.txt"))));
    ASSERT_EQ(m_engine.vbmp3_play(), 1);
    std::mt19937 generator(7);
    std::int32_t last = 0;
    const auto end = std::chrono::steady_clock::now() + 1500ms;
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        bool jumped = true;
        switch (generator() % 8) {
        case 0:
            m_engine.vbmp3_seek(static_cast<std::int32_t>(generator() % 3));
            break;
        case 1:
            m_engine.vbmp3_pause();
            m_engine.vbmp3_restart();
            break;
        case 2:
            m_engine.vbmp3_setVolume(static_cast<std::int32_t>(generator() % 101), 50);
            jumped = false;
            break;
        case 3:
            if (state() == EngineStopped)
                m_engine.vbmp3_play();
            break;
        default: {
            LyricsLinesRecord lines;
            m_engine.vbmp3_getLyrics(lines);
            jumped = false;
        }
        }
        const std::int32_t now = m_engine.vbmp3_getWinampPlayMs();
        if (!jumped && state() == EnginePlaying) {
            EXPECT_GE(now, last) << "call " << i;
        }
        last = now;
        std::this_thread::sleep_for(1ms);
    }
}

// Run in a child process: SDL reads the driver's name once, when its audio starts.
TEST(PlaybackEngineNoDeviceDeathTest, PlayReturnsZeroAndTheReasonGoesToStandardError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qputenv("SDL_AUDIODRIVER", "no_such_driver");
            PlaybackEngine engine;
            engine.vbmp3_init();
            TrackOpenRecord info;
            const bool opened = engine.vbmp3_open(testDataPath(QStringLiteral("tone_xing.mp3")), info) == 1;
            const bool refused = engine.vbmp3_play() == 0;
            std::int32_t seconds = 0;
            const bool stopped = engine.vbmp3_getState(seconds) == EngineStopped;
            const bool stillUsable = engine.vbmp3_seek(1) == 1 && engine.vbmp3_getWinampPlayMs() == 1000;
            engine.vbmp3_free();
            std::exit(opened && refused && stopped && stillUsable ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "no sound output");
}

// The tap-along click on a route that allows only a sound server, where none listens: it is
// refused, and the message names the server and why it could not be used.
TEST(PlaybackEngineNoServerTest, CueIsRefusedWithTheServerAndTheReason)
{
    PlaybackEngine engine(PlaybackEngine::Output::Device,
                          {PlaybackEngine::Route::SoundServerOnly, QByteArrayLiteral("unix:/nonexistent/lyricue-server")});
    ASSERT_EQ(engine.vbmp3_init(), 1);
    const Result cue = engine.startCue(std::make_unique<ToneSource>(48000, 1000.0, 1.0));
    EXPECT_FALSE(cue.ok());
    const QRegularExpression expected(QStringLiteral("^サウンドサーバー \\(unix:/nonexistent/lyricue-server\\) が応答しません \\(.+\\)。$"));
    EXPECT_TRUE(expected.match(cue.errorString()).hasMatch()) << cue.errorString().toStdString();
    engine.endCue();
    engine.vbmp3_free();
}

}  // namespace

}  // namespace lyricue
