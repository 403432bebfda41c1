#include "server_bench.h"

#include "audio/mp3_engine.h"
#include "generated_sources.h"
#include "monitor_recorder.h"
#include "sound_server.h"

#include <pulse/pulseaudio.h>

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace server_bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 48000;
constexpr std::int64_t kFirstClick = kRate / 2;
constexpr std::int64_t kClickEvery = kRate / 10;
constexpr double kClickSeconds = 10.5;

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
        const auto played = recorder.playedAt(double(clicks[k]), clicks[0] - kFirstClick / 2);
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

// The latency the server reports for the one stream playing on it (SDL's): the data it
// holds for the stream and the sink's own, asked every few milliseconds.
class LatencyWatch {
public:
    explicit LatencyWatch(const QByteArray& server)
    {
        m_thread = std::thread([this, server] { run(server); });
    }
    ~LatencyWatch()
    {
        m_quit = true;
        m_thread.join();
    }
    std::vector<Reading> readings()
    {
        std::lock_guard lock(m_mutex);
        return m_readings;
    }

private:
    void run(const QByteArray& server)
    {
        pa_mainloop* loop = pa_mainloop_new();
        pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Lyricue bench");
        pa_context_connect(context, server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr);
        Clock::time_point next = Clock::now();
        while (!m_quit) {
            pa_mainloop_iterate(loop, 0, nullptr);
            if (pa_context_get_state(context) == PA_CONTEXT_READY && Clock::now() >= next) {
                next = Clock::now() + 5ms;
                pa_operation* operation = pa_context_get_sink_input_info_list(
                    context,
                    [](pa_context*, const pa_sink_input_info* info, int eol, void* self) {
                        if (eol || !info)
                            return;
                        auto* watch = static_cast<LatencyWatch*>(self);
                        std::lock_guard lock(watch->m_mutex);
                        watch->m_readings.push_back(
                            {Clock::now(), double(info->buffer_usec + info->sink_usec) / 1000});
                    },
                    this);
                if (operation)
                    pa_operation_unref(operation);
            }
            std::this_thread::sleep_for(500us);
        }
        pa_context_disconnect(context);
        pa_context_unref(context);
        pa_mainloop_free(loop);
    }

    std::atomic<bool> m_quit{false};
    std::mutex m_mutex;
    std::vector<Reading> m_readings;
    std::thread m_thread;
};

Mp3Engine::Route routeFor(const SoundServer& server, bool throughSdl)
{
    return throughSdl ? Mp3Engine::Route{Mp3Engine::Route::SdlOnly, {}}
                      : Mp3Engine::Route{Mp3Engine::Route::SoundServerOnly, server.address()};
}

// Plays the clicks through the engine and reads its position every half millisecond;
// with `latency`, also what the server reported meanwhile.
struct ClickRun {
    Errors engine;
    Errors frames;     // the same from playFrame(), which is not cut to whole milliseconds
    Errors corrected;  // SDL's position less the latency the server reported
    bool played = false;
};

ClickRun playClicks(SoundServer& server, bool throughSdl)
{
    ClickRun run;
    MonitorRecorder recorder;
    QString error;
    if (!recorder.start(server.address(), SoundServer::monitor(), &error))
        return run;
    std::optional<LatencyWatch> latency;
    Mp3Engine engine(Mp3Engine::Output::Device, routeFor(server, throughSdl));
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, kRate};
    engine.vbmp3_setVbmp3Option(engineOptions);
    engine.vbmp3_setDecodeOption(decodeOptions);
    engine.openSource(std::make_unique<ClickSource>(kRate, kClickSeconds, kFirstClick, kClickEvery));
    if (engine.vbmp3_play() != 1)
        return run;
    if (throughSdl)
        latency.emplace(server.address());
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
    engine.vbmp3_free();
    recorder.stop();
    run.played = true;
    run.engine = errorsAgainst(recorder, readings);
    run.frames = errorsAgainst(recorder, frames);
    if (latency) {
        const std::vector<Reading> reported = latency->readings();
        std::vector<Reading> corrected;
        for (const Reading& reading : readings) {
            if (const auto ms = valueAt(reported, reading.at, 0.05))
                corrected.push_back({reading.at, reading.ms - *ms});
        }
        run.corrected = errorsAgainst(recorder, corrected);
    }
    return run;
}

void printErrors(const char* what, const Errors& errors, const char* target)
{
    if (errors.clicks == 0) {
        std::printf("  %-44s no figures (clicks lost or not recorded)\n", what);
        return;
    }
    std::printf("  %-44s %2d clicks  mean %+7.2f ms  rms %5.2f ms  largest %6.2f ms  %s\n", what, errors.clicks,
                errors.mean, errors.rms, errors.largest, target);
}

bool clockMet(const Errors& errors)
{
    return errors.clicks >= 20 && std::fabs(errors.mean) <= 3 && errors.rms < 1.5;
}

// 60 s of a track on the server while two threads spin on both cores.
struct LoadRun {
    std::int64_t ringUnderruns = -1;
    std::int64_t serverUnderruns = -1;
    double heardSeconds = 0;
};

LoadRun playUnderLoad(SoundServer& server, double seconds)
{
    LoadRun run;
    Mp3Engine engine(Mp3Engine::Output::Device, routeFor(server, false));
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

bool run()
{
    bool met = true;
    for (const SoundServer::Kind kind : {SoundServer::Kind::PulseAudio, SoundServer::Kind::PipeWire}) {
        const char* name = SoundServer::name(kind);
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
        const ClickRun pulse = playClicks(server, false);
        printErrors("engine through libpulse", pulse.engine, clockMet(pulse.engine) ? "(|mean| <= 3, rms < 1.5: met)"
                                                                                     : "(|mean| <= 3, rms < 1.5: MISSED)");
        printErrors("  the same from playFrame()", pulse.frames, "");
        met = met && clockMet(pulse.engine);

        // SDL reads the server's address and its driver from the environment.
        qputenv("PULSE_SERVER", server.address());
        qputenv("SDL_AUDIODRIVER", kind == SoundServer::Kind::PulseAudio ? "pulseaudio" : "pipewire");
        if (kind == SoundServer::Kind::PipeWire)
            qputenv("PIPEWIRE_RUNTIME_DIR", QFile::encodeName(server.runtimeFolder()));
        const ClickRun sdl = playClicks(server, true);
        printErrors("engine through SDL (no latency known)", sdl.engine, "(for comparison)");
        printErrors("  less the latency the server reports", sdl.corrected, "(for comparison)");
        qputenv("SDL_AUDIODRIVER", "dummy");

        if (kind == SoundServer::Kind::PulseAudio) {
            const LoadRun loaded = playUnderLoad(server, 60);
            const bool none = loaded.ringUnderruns == 0 && loaded.serverUnderruns == 0;
            std::printf("  60 s of playback, two threads spinning on both cores: %.1f s heard, underruns %lld in the "
                        "engine, %lld in the server  (target 0: %s)\n",
                        loaded.heardSeconds, (long long)loaded.ringUnderruns, (long long)loaded.serverUnderruns,
                        none ? "met" : "MISSED");
            met = met && none;
        }
        std::printf("\n");
    }
    return met;
}

}  // namespace server_bench
