#pragma once

#include "audio/sound_output.h"
#include "base/result.h"

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <memory>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_io_event;

namespace lyricue {

// A playback stream on a PulseAudio server, or on PipeWire's server of the same
// protocol, through libpulse (loaded when first needed). The server knows when each
// frame is played: every few milliseconds the stream's read position and the sink's
// latency are asked for and handed to the play clock as a measurement.
//
// Each answer, stamped with the server's clock, is a bound: by then the listener heard at
// least that far. A server busy elsewhere answers late, which only loosens the bound, so
// the clock is told the highest of the recent bounds, each moved on to the same moment.
// On PipeWire's server the read position moves a graph cycle at a time, at the cycle's
// start, when the stream hands the sink the cycle's frames, which the sink plays from
// that start on (PipeWire's own latency, the sink's, comes on top): the frame heard is a
// cycle behind the read position at the cycle's start.
//
// Everything happens on libpulse's own thread. The engine's thread leaves its wishes
// (resume, suspend) in an atomic and wakes that thread through a pipe, so that it never
// holds libpulse's lock while the stream is fed.
class PulseOutput final : public SoundOutput {
public:
    // Connects to `server` (empty: the user's own) and opens a stream at `sampleRate`
    // that asks for `bufferFrames` at a time; or why no server answers.
    static ResultOf<std::unique_ptr<PulseOutput>> open(const QByteArray& server, int sampleRate, int bufferFrames,
                                                       OutputFeed& feed);
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;
    ~PulseOutput() override;

    int sampleRate() const override { return m_sampleRate; }
    int bufferFrames() const override { return m_bufferFrames; }
    void resume() override;
    void suspend() override;
    std::optional<TimePoint> lostAt() const override;
    std::int64_t serverUnderruns() const override { return m_serverUnderruns.load(std::memory_order_relaxed); }

private:
    enum Request : int { NoRequest, ResumeRequest, SuspendRequest };

    PulseOutput(OutputFeed& feed, int sampleRate, int bufferFrames);
    Result connect(const QByteArray& server);
    // Until `ready()` holds, with the mainloop's lock given up meanwhile; fails where the
    // connection is lost or the server takes too long.
    template <typename Ready>
    Result waitFor(Ready ready);
    void markLost();
    void takeRequest();
    void askTiming();
    void measure();
    // The step by which a PipeWire server moves the read position: one graph cycle.
    std::int64_t cycleFrames() const;
    // The measurement starts over: after a start, or where the server stopped playing.
    void forgetBounds();

    // libpulse's callbacks, which reach the private parts (defined with libpulse's types).
    struct Callbacks;
    friend struct Callbacks;

    OutputFeed& m_feed;
    const int m_sampleRate;
    const int m_bufferFrames;
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_timer = nullptr;
    pa_io_event* m_wakeEvent = nullptr;
    int m_wakeFds[2] = {-1, -1};
    bool m_running = false;  // the mainloop's thread runs

    std::atomic<int> m_request{NoRequest};
    std::atomic<std::int64_t> m_lostAtNs{-1};
    std::atomic<std::int64_t> m_serverUnderruns{0};
    std::atomic<bool> m_serverInfoDone{false};

    // libpulse's thread only.
    bool m_corked = true;
    // Output frame = the server's frame + m_indexOffset: a flush takes the server's
    // write position back to its read position, while the engine's count goes on.
    std::int64_t m_indexOffset = 0;
    std::int64_t m_corkedRead = 0;  // the read position while corked; -1 while unknown
    bool m_pipeWire = false;
    int m_quickTimings = 0;  // timings still to ask for at a short interval
    std::uint32_t m_askSpread = 1;  // pseudo-random spread of the asking interval
    std::int64_t m_lastRead = -1;
    std::int64_t m_readSteps[16] = {};
    int m_readStepCount = 0;
    // Recent bounds: by `serverNs` (steady clock) the listener heard output frame `heard`.
    struct Bound {
        std::int64_t serverNs;
        double heard;
    };
    Bound m_bounds[192] = {};
    int m_boundCount = 0;
    std::int64_t m_firstBoundNs = 0;  // since a start, or since the server went on playing
};

}  // namespace lyricue
