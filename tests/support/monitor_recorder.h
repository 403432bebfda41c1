#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// Records a sound server's sink monitor, and tells when each recorded frame was played.
//
// The null sink hands every frame it plays to its monitor in the cycle that plays it,
// and the server sends it on in small fragments at once: the earliest arrivals, over
// many fragments, lie on the line of play times (a line, not a fixed rate, as a null
// sink's clock may run a little fast). That line is the truth the tests hold the
// engine's clock against.
class MonitorRecorder {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr int kRate = 48000;

    MonitorRecorder() = default;
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;
    ~MonitorRecorder();

    bool start(const QByteArray& server, const QByteArray& source, QString* error);
    void stop();

    // The left channel, as recorded.
    std::vector<float> samples() const;
    // When recorded frame `frame` was played, from the arrivals of frames after
    // `fromFrame` (a sink's timing may change when a stream starts); nothing with too
    // little recorded.
    std::optional<TimePoint> playedAt(double frame, std::int64_t fromFrame = 0) const;
    // Frames of single-sample clicks: peaks above `threshold` that are the largest within
    // `apart` frames either side.
    std::vector<std::int64_t> clicks(float threshold = 0.3f, int apart = 1000) const;

private:
    struct Fragment {
        TimePoint arrived;
        std::int64_t firstFrame;
    };
    struct Line {
        double interceptNs;  // arrival minus the frame's time at the nominal rate, at frame 0
        double slope;        // change of that per frame, in ns
    };
    static void read(pa_stream* stream, std::size_t bytes, void* self);
    std::optional<Line> fitLine(std::int64_t fromFrame) const;

    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    mutable std::mutex m_mutex;
    std::vector<float> m_samples;
    std::vector<Fragment> m_fragments;
};
