// The engine on a real sound server: a private PulseAudio, or PipeWire's server of the
// same protocol, each with a null sink whose monitor the test records. The position the
// engine reports is held against the moment each click of the track is played, as the
// server's own reports of its monitor place it (MonitorRecorder).
#include "audio/playback_engine.h"

#include "support/generated_sources.h"
#include "support/monitor_recorder.h"
#include "support/sound_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace lyricue {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr std::int64_t kFirstClick = kRate / 2;
constexpr std::int64_t kClickEvery = kRate / 10;
// Runs the server disturbed (a click lost, its sink stopped for a moment) are played again.
constexpr int kAttempts = 4;

// What the engine said, and when.
struct Reading {
    Clock::time_point at;
    double frame;
};

// The engine's position at `time`, between the readings around it.
std::optional<double> positionAt(const std::vector<Reading>& readings, Clock::time_point time)
{
    for (std::size_t i = 1; i < readings.size(); ++i) {
        if (readings[i].at < time)
            continue;
        const Reading& before = readings[i - 1];
        const Reading& after = readings[i];
        const double span = std::chrono::duration<double>(after.at - before.at).count();
        if (before.at > time || span > 0.005)
            return std::nullopt;
        const double share = std::chrono::duration<double>(time - before.at).count() / span;
        return before.frame + share * (after.frame - before.frame);
    }
    return std::nullopt;
}

std::unique_ptr<PlaybackEngine> makeEngine(const SoundServer& server)
{
    auto engine = std::make_unique<PlaybackEngine>(PlaybackEngine::Output::Device,
                                              PlaybackEngine::Route{PlaybackEngine::Route::SoundServerOnly, server.address()});
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, kRate};
    EXPECT_EQ(engine->vbmp3_setVbmp3Option(engineOptions), 1);
    EXPECT_EQ(engine->vbmp3_setDecodeOption(decodeOptions), 1);
    return engine;
}

// A server, and the fragment its monitor is recorded in: on PipeWire that sets the
// graph's cycle, 512 frames, or 1024 as the engine's own stream asks for alone. (At 256
// frames, 5.3 ms, a busy machine here makes the graph skip cycles in most runs.)
struct ClockCase {
    SoundServer::Kind kind;
    int fragmentFrames;
};

class SoundServerClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SoundServerClockTest, PositionAtEachClickIsTheFrameHeard)
{
    const ClockCase& setup = GetParam();
    const QString unavailable = SoundServer::unavailableReason(setup.kind);
    if (!unavailable.isEmpty())
        GTEST_SKIP() << unavailable.toStdString();
    SoundServer server(setup.kind);
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();

    std::vector<double> errors;  // ms, one a click
    std::string disturbed;
    for (int attempt = 1; attempt <= kAttempts && errors.empty(); ++attempt) {
        MonitorRecorder recorder;
        ASSERT_TRUE(recorder.start(server.address(), SoundServer::monitor(), &error, setup.fragmentFrames))
            << error.toStdString();
        const auto engine = makeEngine(server);
        ASSERT_EQ(engine->openSource(std::make_unique<ClickSource>(kRate, 3.5, kFirstClick, kClickEvery)), 1);
        ASSERT_EQ(engine->vbmp3_play(), 1);
        EXPECT_TRUE(engine->playsThroughSoundServer());

        std::vector<Reading> readings;
        readings.reserve(20000);
        std::int32_t seconds = 0;
        const auto limit = Clock::now() + 6s;
        while (engine->vbmp3_getState(seconds) == EnginePlaying && Clock::now() < limit) {
            const Clock::time_point before = Clock::now();
            const double frame = double(engine->playFrame());
            const Clock::time_point after = Clock::now();
            readings.push_back({before + (after - before) / 2, frame});
            std::this_thread::sleep_for(500us);
        }
        EXPECT_EQ(engine->vbmp3_getState(seconds), EngineStopped) << "the track plays to its end";
        recorder.stop();

        const std::vector<std::int64_t> clicks = recorder.clicks();
        const bool clicksKept = clicks.size() >= 20
            && clicks.back() - clicks.front() == std::int64_t(clicks.size() - 1) * kClickEvery;
        // From just after the stream started (a PipeWire graph stops for a moment then) to
        // just before it ends.
        const std::int64_t from = clicks.empty() ? 0 : clicks.front() - kFirstClick / 2;
        const std::int64_t to = clicks.empty() ? 0 : clicks.back() + kClickEvery / 2;
        if (!clicksKept || !recorder.sinkKeptTime(from, clicks.back())) {
            disturbed += clicksKept ? " the sink stopped for a moment;" : " clicks lost;";
            continue;
        }
        for (std::size_t k = 0; k < clicks.size(); ++k) {
            const std::optional<Clock::time_point> played = recorder.playedAt(double(clicks[k]), from, to);
            const std::optional<double> reported = played ? positionAt(readings, *played) : std::nullopt;
            if (reported)
                errors.push_back((*reported - double(kFirstClick + std::int64_t(k) * kClickEvery)) * 1000 / kRate);
        }
        ASSERT_GE(errors.size(), 20u) << "clicks placed";
    }
    ASSERT_FALSE(errors.empty()) << "every run disturbed:" << disturbed;

    double mean = 0;
    double largest = 0;
    for (const double value : errors) {
        mean += value / double(errors.size());
        largest = std::max(largest, std::fabs(value));
    }
    double squares = 0;
    std::string perClick;
    for (const double value : errors) {
        squares += (value - mean) * (value - mean);
        perClick += std::to_string(int(std::lround(value * 100))) + ' ';
    }
    const double spread = std::sqrt(squares / double(errors.size()));
    std::printf("[ clock    ] %s, fragments of %d: %zu clicks, error mean %+.2f ms, spread (rms) %.2f ms, "
                "largest %.2f ms%s%s\n",
                SoundServer::name(setup.kind), setup.fragmentFrames, errors.size(), mean, spread, largest,
                disturbed.empty() ? "" : "; played again:", disturbed.c_str());
    EXPECT_LE(std::fabs(mean), 1.0) << "errors in hundredths of a ms: " << perClick;
    EXPECT_LT(spread, 1.0) << "errors in hundredths of a ms: " << perClick;
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerClockTest,
                         ::testing::Values(ClockCase{SoundServer::Kind::PulseAudio, 256},
                                           ClockCase{SoundServer::Kind::PipeWire, 512},
                                           ClockCase{SoundServer::Kind::PipeWire, 1024}),
                         [](const auto& info) {
                             return std::string(SoundServer::name(info.param.kind)) + "_Fragments"
                                 + std::to_string(info.param.fragmentFrames);
                         });

class SoundServerTest : public ::testing::TestWithParam<SoundServer::Kind> {
protected:
    void SetUp() override
    {
        const QString unavailable = SoundServer::unavailableReason(GetParam());
        if (!unavailable.isEmpty())
            GTEST_SKIP() << unavailable.toStdString();
        QString error;
        ASSERT_TRUE(server.start(&error)) << error.toStdString();
    }

    SoundServer server{GetParam()};
};

// The server goes away while playing: the engine pauses where the listener was and says
// so; "再生" on a server started again plays on from there.
TEST_P(SoundServerTest, LosingTheServerPausesAtThePositionHeardAndPlayResumesOnANewServer)
{
    const auto engine = makeEngine(server);
    ASSERT_EQ(engine->openSource(std::make_unique<ToneSource>(kRate, 440.0, 20.0, 0.5f)), 1);
    ASSERT_EQ(engine->vbmp3_play(), 1);
    const auto heardBy = [&](std::int64_t frame) {
        const auto limit = Clock::now() + 5s;
        while (engine->playFrame() < frame && Clock::now() < limit)
            std::this_thread::sleep_for(2ms);
        return engine->playFrame() >= frame;
    };
    ASSERT_TRUE(heardBy(kRate / 2));

    const std::int64_t beforeLoss = engine->playFrame();
    const Clock::time_point lossAt = Clock::now();
    testing::internal::CaptureStderr();
    server.stop(true);
    std::int32_t seconds = 0;
    const auto limit = Clock::now() + 3s;
    while (engine->vbmp3_getState(seconds) == EnginePlaying && Clock::now() < limit)
        std::this_thread::sleep_for(2ms);
    const double noticedAfter = std::chrono::duration<double>(Clock::now() - lossAt).count();
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(engine->vbmp3_getState(seconds), EnginePaused);
    EXPECT_NE(said.find("went away"), std::string::npos) << said;
    const std::int64_t paused = engine->playFrame();
    EXPECT_GE(paused, beforeLoss);
    EXPECT_LE(paused, beforeLoss + std::int64_t(noticedAfter * kRate) + 1);
    EXPECT_EQ(engine->vbmp3_play(), 0) << "no server to play on";
    EXPECT_EQ(engine->playFrame(), paused);

    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ASSERT_EQ(engine->vbmp3_play(), 1);
    EXPECT_TRUE(engine->playsThroughSoundServer());
    EXPECT_TRUE(heardBy(paused + kRate / 4)) << "plays on from " << paused;
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerTest,
                         ::testing::Values(SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire),
                         [](const auto& info) { return std::string(SoundServer::name(info.param)); });

}  // namespace

}  // namespace lyricue
