#include "server_bench.h"

#include "audio/playback_engine.h"
#include "support/generated_sources.h"
#include "support/monitor_recorder.h"
#include "support/sound_server.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

namespace lyricue {

namespace server_bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr std::int64_t kFirstClick = kRate / 2;
constexpr std::int64_t kClickEvery = kRate / 10;
constexpr double kClickSeconds = 10.5;
constexpr double kTargetMeanMs = 1.0;
constexpr double kTargetRmsMs = 1.0;

struct Reading {
    Clock::time_point at;
    double ms;
};

// Linear between the two readings around `time`, when they are at most `gap` apart.
std::optional<double> valueAt(const std::vector<Reading>& readings, Clock::time_point time, double gap = 0.005)
{
    const auto after = std::lower_bound(readings.begin(), readings.end(), time,
                                        [](const Reading& reading, Clock::time_point t) { return reading.at < t; });
    if (after == readings.begin() || after == readings.end())
        return std::nullopt;
    const Reading& before = *(after - 1);
    const double span = std::chrono::duration<double>(after->at - before.at).count();
    if (span > gap)
        return std::nullopt;
    return before.ms + std::chrono::duration<double>(time - before.at).count() / span * (after->ms - before.ms);
}

struct Errors {
    int clicks = 0;
    double mean = 0;
    double rms = 0;  // about the mean
    double largest = 0;
};

// Errors of `readings` (ms of the track) at the moments the clicks were played.
Errors errorsAgainst(const MonitorRecorder& recorder, const std::vector<Reading>& readings)
{
    Errors errors;
    const std::vector<std::int64_t> clicks = recorder.clicks();
    if (clicks.size() < 20)
        return errors;
    std::vector<double> values;
    for (std::size_t k = 0; k < clicks.size(); ++k) {
        if (std::llabs(clicks[k] - clicks[0] - std::int64_t(k) * kClickEvery) > 1)
            return Errors{};  // a click lost: the recording cannot be trusted
        const auto played =
            recorder.playedAt(double(clicks[k]), clicks.front() - kFirstClick / 2, clicks.back() + kClickEvery / 2);
        const auto value = played ? valueAt(readings, *played) : std::nullopt;
        if (value)
            values.push_back(*value - double(kFirstClick + std::int64_t(k) * kClickEvery) * 1000 / kRate);
    }
    errors.clicks = int(values.size());
    if (values.empty())
        return errors;
    for (const double value : values)
        errors.mean += value / double(values.size());
    for (const double value : values) {
        errors.rms += (value - errors.mean) * (value - errors.mean) / double(values.size());
        errors.largest = std::max(errors.largest, std::fabs(value));
    }
    errors.rms = std::sqrt(errors.rms);
    return errors;
}

// Plays the clicks through the engine and reads its position every half millisecond.
struct ClickRun {
    Errors engine;     // vbmp3_getWinampPlayMs, cut to whole milliseconds
    Errors frames;     // playFrame(), which is not
    std::optional<double> deliveryMs;
    std::int64_t reportStep = 0;
    std::int64_t serverUnderruns = 0;
    bool clicksKept = false;  // every click recorded, the clicks' distance apart
    bool sinkKeptTime = false;

    bool disturbed() const { return !clicksKept || !sinkKeptTime; }
};

ClickRun playClicks(SoundServer& server, int fragmentFrames)
{
    ClickRun run;
    MonitorRecorder recorder;
    QString error;
    if (!recorder.start(server.address(), SoundServer::monitor(), &error, fragmentFrames))
        return run;
    PlaybackEngine engine(PlaybackEngine::Output::Device, {PlaybackEngine::Route::SoundServerOnly, server.address()});
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, kRate};
    engine.vbmp3_setVbmp3Option(engineOptions);
    engine.vbmp3_setDecodeOption(decodeOptions);
    engine.openSource(std::make_unique<ClickSource>(kRate, kClickSeconds, kFirstClick, kClickEvery));
    if (engine.vbmp3_play() != 1)
        return run;
    std::vector<Reading> readings;
    std::vector<Reading> frames;
    std::int32_t seconds = 0;
    const auto limit = Clock::now() + std::chrono::seconds(int(kClickSeconds) + 3);
    while (engine.vbmp3_getState(seconds) == EnginePlaying && Clock::now() < limit) {
        const Clock::time_point before = Clock::now();
        const double ms = engine.vbmp3_getWinampPlayMs();
        const double frame = double(engine.playFrame());
        const Clock::time_point after = Clock::now();
        readings.push_back({before + (after - before) / 2, ms});
        frames.push_back({before + (after - before) / 2, frame * 1000 / kRate});
        std::this_thread::sleep_for(500us);
    }
    run.serverUnderruns = engine.serverUnderruns();
    engine.vbmp3_free();
    recorder.stop();
    run.engine = errorsAgainst(recorder, readings);
    run.frames = errorsAgainst(recorder, frames);
    const std::vector<std::int64_t> clicks = recorder.clicks();
    if (!clicks.empty()) {
        run.deliveryMs = recorder.smallestDeliveryDelayMs(clicks.front() - kFirstClick / 2, clicks.back());
        run.sinkKeptTime = recorder.sinkKeptTime(clicks.front() - kFirstClick / 2, clicks.back());
        run.clicksKept = clicks.size() >= 20
            && clicks.back() - clicks.front() == std::int64_t(clicks.size() - 1) * kClickEvery;
    }
    run.reportStep = recorder.reportStepFrames();
    return run;
}

void printErrors(const char* what, const Errors& errors, const char* target)
{
    if (errors.clicks == 0) {
        std::printf("    %-34s no figures (clicks lost or not recorded)\n", what);
        return;
    }
    std::printf("    %-34s %3d clicks  mean %+6.2f ms  rms %5.2f ms  largest %5.2f ms  %s\n", what, errors.clicks,
                errors.mean, errors.rms, errors.largest, target);
}

bool clockMet(const Errors& errors)
{
    return errors.clicks >= 20 && std::fabs(errors.mean) <= kTargetMeanMs && errors.rms < kTargetRmsMs;
}

// A track on the server for `seconds` while two threads spin on both cores.
struct LoadRun {
    std::int64_t ringUnderruns = -1;
    std::int64_t serverUnderruns = -1;
    double heardSeconds = 0;
};

LoadRun playUnderLoad(SoundServer& server, double seconds)
{
    LoadRun run;
    PlaybackEngine engine(PlaybackEngine::Output::Device, {PlaybackEngine::Route::SoundServerOnly, server.address()});
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, kRate};
    engine.vbmp3_setVbmp3Option(engineOptions);
    engine.vbmp3_setDecodeOption(decodeOptions);
    engine.openSource(std::make_unique<ToneSource>(44100, 440.0, seconds + 10, 0.3f));
    if (engine.vbmp3_play() != 1)
        return run;
    std::atomic<bool> busy{true};
    std::vector<std::thread> load;
    for (int i = 0; i < 2; ++i) {
        load.emplace_back([&busy] {
            volatile std::uint64_t spin = 0;
            while (busy.load(std::memory_order_relaxed))
                spin = spin + 1;
        });
    }
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        std::int32_t position = 0;
        engine.vbmp3_getState(position);  // as the window's timers do
        std::this_thread::sleep_for(200ms);
    }
    busy = false;
    for (std::thread& thread : load)
        thread.join();
    run.heardSeconds = double(engine.playFrame()) / 44100;
    run.ringUnderruns = engine.underruns().blocks;
    run.serverUnderruns = engine.serverUnderruns();
    return run;
}

}  // namespace

bool run(double loadSeconds, const char* only)
{
    bool met = true;
    for (const SoundServer::Kind kind : {SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire}) {
        const char* name = SoundServer::name(kind);
        if (only && std::strcmp(only, name) != 0)
            continue;
        const QString unavailable = SoundServer::unavailableReason(kind);
        if (!unavailable.isEmpty()) {
            std::printf("%s: skipped, %s\n\n", name, qPrintable(unavailable));
            continue;
        }
        std::printf("%s, private server with a null sink, 48 kHz, clicks every 100 ms over %.0f s\n", name,
                    kClickSeconds);
        SoundServer server(kind);
        QString error;
        if (!server.start(&error)) {
            std::printf("  the server did not start: %s\n", qPrintable(error));
            met = false;
            continue;
        }
        // The recorder's fragment sets a PipeWire graph's cycle: 256 or 512 frames, and 1024
        // as the engine's own stream asks for when nothing else plays.
        for (const int fragment : {256, 512, 1024}) {
            // A run in which the server lost a click or its sink stopped for a moment is
            // played again; each such run is listed.
            ClickRun clicks;
            for (int attempt = 1; attempt <= 3; ++attempt) {
                clicks = playClicks(server, fragment);
                if (!clicks.disturbed())
                    break;
                std::printf("  (a run in fragments of %d frames played again: %s)\n", fragment,
                            !clicks.clicksKept ? "clicks lost" : "the server's sink stopped for a moment");
            }
            std::printf("  recorded in fragments of %d frames; the server's reports of the monitor move in steps of "
                        "%lld frames\n",
                        fragment, (long long)clicks.reportStep);
            if (clicks.deliveryMs)
                std::printf("    the monitor's fragments reach the recorder %+.2f ms or more after they are played\n",
                            *clicks.deliveryMs);
            // Where the server disturbed every run, the figures show how the engine follows
            // a sink that stops, not its clock: no verdict.
            const bool engineMet = clockMet(clicks.frames);
            printErrors("engine, playFrame()", clicks.frames,
                        clicks.disturbed() ? "(every run disturbed by the server: no verdict)"
                        : engineMet        ? "(|mean| <= 1, rms < 1: met)"
                                           : "(|mean| <= 1, rms < 1: MISSED)");
            printErrors("engine, vbmp3_getWinampPlayMs", clicks.engine, "(whole ms, cut: 0.5 ms lower)");
            std::printf("    underruns in the server: %lld\n", (long long)clicks.serverUnderruns);
            met = met && (engineMet || clicks.disturbed());
        }

        const LoadRun loaded = playUnderLoad(server, loadSeconds);
        const bool none = loaded.ringUnderruns == 0 && loaded.serverUnderruns == 0;
        std::printf("  %.0f s of playback, two threads spinning on both cores: %.1f s heard, underruns %lld in the "
                    "engine, %lld in the server  (target 0: %s)\n\n",
                    loadSeconds, loaded.heardSeconds, (long long)loaded.ringUnderruns,
                    (long long)loaded.serverUnderruns, none ? "met" : "MISSED");
        met = met && none;
    }
    return met;
}

}  // namespace server_bench

}  // namespace lyricue
