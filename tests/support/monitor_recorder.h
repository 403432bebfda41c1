#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;

namespace lyricue {

// Records a sound server's sink monitor, and tells when each recorded frame was played.
//
// When a frame was played comes from the server's own account, not from when the
// recording reaches the test: every 2 ms the recorder asks the server how far its
// monitor has got (the frames it has handed to the recording, plus what the source
// holds, less what the sink still holds), stamped with the server's clock as it answers.
// By then the sink has played at least that far; a server busy elsewhere answers later,
// which only makes that a looser bound. The play times lie on the lower hull of these
// bounds, touching it wherever an answer came right after the sink moved on. A busy
// machine delays the answers and the recording, and moves neither the frames recorded
// nor that hull.
//
// On PipeWire the recording of a sink's monitor runs one graph cycle behind the sink: at
// each cycle's start the recorder is handed what the sink played in the cycle before
// (pw-profiler shows the recorder woken before the playing stream in each cycle, the
// sink, which drives the graph, finishing last). The frames it has at a cycle's start are
// exactly those played before that start, so the same bound holds.
class MonitorRecorder {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr int kRate = 48000;

    MonitorRecorder() = default;
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;
    ~MonitorRecorder();

    // Records `source` in fragments of `fragmentFrames`; on PipeWire that also sets the
    // graph's cycle, as the smallest latency any stream asks for does.
    bool start(const QByteArray& server, const QByteArray& source, QString* error, int fragmentFrames = 256);
    void stop();

    // The left channel, as recorded.
    std::vector<float> samples() const;
    // When recorded frame `frame` was played, from the server's reports near it of frames
    // from `fromFrame` to `toFrame` (a PipeWire graph stops for a moment when a stream
    // joins or leaves it, and the sink's clock jumps); nothing with too few reports.
    std::optional<TimePoint> playedAt(double frame, std::int64_t fromFrame = 0,
                                      std::int64_t toFrame = INT64_MAX) const;
    // Whether the sink played frames `fromFrame` to `toFrame` without stopping, as the
    // server's reports tell: a PipeWire graph may skip a cycle or stop for a moment.
    bool sinkKeptTime(std::int64_t fromFrame, std::int64_t toFrame) const;
    // The earliest any fragment of those frames reached the recorder after its first frame
    // was played, in ms: what the monitor and the way to the recorder add at least.
    std::optional<double> smallestDeliveryDelayMs(std::int64_t fromFrame, std::int64_t toFrame) const;
    // The step in which the server's report of the monitor moves (a PipeWire graph's
    // cycle); 0 while unknown.
    std::int64_t reportStepFrames() const;
    // Frames of single-sample clicks: peaks above `threshold` that are the largest within
    // `apart` frames either side.
    std::vector<std::int64_t> clicks(float threshold = 0.3f, int apart = 1000) const;

private:
    struct Fragment {
        TimePoint arrived;
        std::int64_t firstFrame;
    };
    // By `serverNs` (steady clock) the sink had played recorded frames up to `frame`.
    struct Report {
        double serverNs;
        double frame;
    };
    // Reports of frames no sooner than `firstFrame` and no later than `lastFrame`.
    struct Stretch {
        double firstFrame;
        double lastFrame;
    };
    struct Callbacks;

    std::vector<Report> reportsBetween(double fromFrame, double toFrame) const;
    // Where the sink played without stopping, among `reports` ordered by frame.
    static std::vector<Stretch> stretches(const std::vector<Report>& reports);

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_timer = nullptr;
    mutable std::mutex m_mutex;
    std::vector<float> m_samples;
    std::vector<Fragment> m_fragments;
    std::vector<Report> m_reports;
    std::int64_t m_lastWriteIndex = -1;
    std::int64_t m_smallestStep = 0;
};

}  // namespace lyricue
