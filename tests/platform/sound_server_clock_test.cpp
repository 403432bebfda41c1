// The engine on a real sound server: a private PulseAudio, or PipeWire's server of the
// same protocol, each with a null sink whose monitor the test records. The position the
// engine reports is held against the moment each click of the track is played.
#include "audio/mp3_engine.h"

#include "generated_sources.h"
#include "monitor_recorder.h"
#include "sound_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr std::int64_t kFirstClick = kRate / 2;
constexpr std::int64_t kClickEvery = kRate / 10;

// What the engine said, and when.
struct Reading {
    Clock::time_point at;
    double ms;
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
        return before.ms + share * (after.ms - before.ms);
    }
    return std::nullopt;
}

// Mean and spread (standard deviation) of the clock's errors, in ms.
struct ErrorFigures {
    int clicks = 0;
    double mean = 0;
    double spread = 0;
    double largest = 0;
};

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

    std::unique_ptr<Mp3Engine> makeEngine()
    {
        auto engine = std::make_unique<Mp3Engine>(Mp3Engine::Output::Device,
                                                  Mp3Engine::Route{Mp3Engine::Route::SoundServerOnly, server.address()});
        EngineOptionRecord engineOptions{128, 25, 20, 0};
        DecodeOptionRecord decodeOptions{0, 0, kRate};
        EXPECT_EQ(engine->vbmp3_setVbmp3Option(engineOptions), 1);
        EXPECT_EQ(engine->vbmp3_setDecodeOption(decodeOptions), 1);
        return engine;
    }

    SoundServer server{GetParam()};
};

TEST_P(SoundServerTest, PositionAtEachClickIsTheFrameHeard)
{
    MonitorRecorder recorder;
    QString error;
    ASSERT_TRUE(recorder.start(server.address(), SoundServer::monitor(), &error)) << error.toStdString();
    const auto engine = makeEngine();
    ASSERT_EQ(engine->openSource(std::make_unique<ClickSource>(kRate, 3.5, kFirstClick, kClickEvery)), 1);
    ASSERT_EQ(engine->vbmp3_play(), 1);
    EXPECT_TRUE(engine->playsThroughSoundServer());

    std::vector<Reading> readings;
    readings.reserve(20000);
    std::int32_t seconds = 0;
    const auto limit = Clock::now() + 6s;
    while (engine->vbmp3_getState(seconds) == EnginePlaying && Clock::now() < limit) {
        const Clock::time_point before = Clock::now();
        const std::int32_t ms = engine->vbmp3_getWinampPlayMs();
        const Clock::time_point after = Clock::now();
        readings.push_back({before + (after - before) / 2, double(ms)});
        std::this_thread::sleep_for(500us);
    }
    EXPECT_EQ(engine->vbmp3_getState(seconds), EngineStopped) << "the track plays to its end";
    const std::int64_t underrunsInServer = engine->serverUnderruns();
    recorder.stop();

    const std::vector<std::int64_t> clicks = recorder.clicks();
    ASSERT_GE(clicks.size(), 20u);
    ErrorFigures figures;
    double squares = 0;
    std::string perClick;
    for (std::size_t k = 0; k < clicks.size(); ++k) {
        // The k-th click recorded is the k-th played: they lie the clicks' distance apart.
        ASSERT_NEAR(double(clicks[k] - clicks[0]), double(k * kClickEvery), 1.0) << "click " << k;
        const auto played = recorder.playedAt(double(clicks[k]), clicks[0] - kFirstClick / 2);
        ASSERT_TRUE(played.has_value());
        const std::optional<double> reported = positionAt(readings, *played);
        if (!reported)
            continue;
        const double error = *reported - double(kFirstClick + std::int64_t(k) * kClickEvery) * 1000 / kRate;
        ++figures.clicks;
        perClick += std::to_string(int(std::lround(error * 10))) + ' ';
        figures.mean += error;
        squares += error * error;
        figures.largest = std::max(figures.largest, std::fabs(error));
    }
    ASSERT_GE(figures.clicks, 20);
    figures.mean /= figures.clicks;
    figures.spread = std::sqrt(std::max(0.0, squares / figures.clicks - figures.mean * figures.mean));
    std::printf("[ clock    ] %s: %d clicks, error mean %+.2f ms, spread (rms) %.2f ms, largest %.2f ms; "
                "underruns: %lld in the engine, %lld in the server\n",
                SoundServer::name(GetParam()), figures.clicks, figures.mean, figures.spread, figures.largest,
                (long long)engine->underruns().blocks, (long long)underrunsInServer);
    EXPECT_LE(std::fabs(figures.mean), 3.0) << "errors in tenths of a ms: " << perClick;
    EXPECT_LT(figures.spread, 1.5) << "errors in tenths of a ms: " << perClick;
}

// The server goes away while playing: the engine pauses where the listener was and says
// so; "再生" on a server started again plays on from there.
TEST_P(SoundServerTest, LosingTheServerPausesAtThePositionHeardAndPlayResumesOnANewServer)
{
    const auto engine = makeEngine();
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
