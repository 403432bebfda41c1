#include "monitor_recorder.h"

#include <pulse/pulseaudio.h>

#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

using namespace std::chrono_literals;

// Small fragments: each cycle of the sink arrives as soon as it is played.
constexpr int kFragmentFrames = 256;
// Earliest arrivals are taken over windows of this many fragments.
constexpr std::size_t kWindowFragments = 40;

double nanoseconds(MonitorRecorder::TimePoint time)
{
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

}  // namespace

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

bool MonitorRecorder::start(const QByteArray& server, const QByteArray& source, QString* error)
{
    m_mainloop = pa_threaded_mainloop_new();
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_mainloop), "Lyricue test recorder");
    if (pa_context_connect(m_context, server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(m_mainloop) < 0) {
        *error = QStringLiteral("the recorder cannot connect");
        return false;
    }
    pa_threaded_mainloop_lock(m_mainloop);
    const auto wait = [&](auto ready) {
        for (int i = 0; i < 2000 && !ready(); ++i) {
            pa_threaded_mainloop_unlock(m_mainloop);
            QThread::usleep(1000);
            pa_threaded_mainloop_lock(m_mainloop);
        }
        return ready();
    };
    bool ready = wait([&] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; });
    if (ready) {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRate, 2};
        m_stream = pa_stream_new(m_context, "monitor", &spec, nullptr);
        pa_stream_set_read_callback(m_stream, &MonitorRecorder::read, this);
        pa_buffer_attr attributes{};
        attributes.maxlength = std::uint32_t(-1);
        attributes.fragsize = kFragmentFrames * 2 * sizeof(float);
        ready = pa_stream_connect_record(m_stream, source.constData(), &attributes, PA_STREAM_ADJUST_LATENCY) == 0
            && wait([&] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; });
    }
    pa_threaded_mainloop_unlock(m_mainloop);
    if (!ready)
        *error = QStringLiteral("the recorder's stream did not open");
    return ready;
}

void MonitorRecorder::stop()
{
    if (!m_mainloop)
        return;
    pa_threaded_mainloop_lock(m_mainloop);
    if (m_stream) {
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
    }
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    pa_threaded_mainloop_unlock(m_mainloop);
    pa_threaded_mainloop_stop(m_mainloop);
    pa_threaded_mainloop_free(m_mainloop);
    m_mainloop = nullptr;
    m_context = nullptr;
    m_stream = nullptr;
}

void MonitorRecorder::read(pa_stream* stream, std::size_t, void* self)
{
    auto* recorder = static_cast<MonitorRecorder*>(self);
    const TimePoint arrived = std::chrono::steady_clock::now();
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        const auto frames = static_cast<std::int64_t>(bytes / (2 * sizeof(float)));
        {
            std::lock_guard lock(recorder->m_mutex);
            const auto first = static_cast<std::int64_t>(recorder->m_samples.size());
            recorder->m_fragments.push_back({arrived, first});
            const auto* stereo = static_cast<const float*>(data);
            for (std::int64_t i = 0; i < frames; ++i)
                recorder->m_samples.push_back(stereo ? stereo[2 * i] : 0.0f);
        }
        pa_stream_drop(stream);
    }
}

std::vector<float> MonitorRecorder::samples() const
{
    std::lock_guard lock(m_mutex);
    return m_samples;
}

std::optional<MonitorRecorder::Line> MonitorRecorder::fitLine(std::int64_t fromFrame) const
{
    std::lock_guard lock(m_mutex);
    std::size_t first = 0;
    while (first < m_fragments.size() && m_fragments[first].firstFrame < fromFrame)
        ++first;
    // Per window, the fragment that arrived earliest for its frame.
    std::vector<std::pair<double, double>> points;  // (frame, arrival - frame time)
    for (std::size_t start = first; start + kWindowFragments <= m_fragments.size(); start += kWindowFragments) {
        double best = INFINITY;
        double bestFrame = 0;
        for (std::size_t i = start; i < start + kWindowFragments; ++i) {
            const double frame = double(m_fragments[i].firstFrame);
            const double lead = nanoseconds(m_fragments[i].arrived) - frame * 1e9 / kRate;
            if (lead < best) {
                best = lead;
                bestFrame = frame;
            }
        }
        points.emplace_back(bestFrame, best);
    }
    if (points.size() < 4)
        return std::nullopt;
    double meanX = 0;
    double meanY = 0;
    for (const auto& [x, y] : points) {
        meanX += x / double(points.size());
        meanY += y / double(points.size());
    }
    double covariance = 0;
    double variance = 0;
    for (const auto& [x, y] : points) {
        covariance += (x - meanX) * (y - meanY);
        variance += (x - meanX) * (x - meanX);
    }
    const double slope = covariance / variance;  // ns per frame
    return Line{meanY - slope * meanX, slope};
}

std::optional<MonitorRecorder::TimePoint> MonitorRecorder::playedAt(double frame, std::int64_t fromFrame) const
{
    const std::optional<Line> line = fitLine(fromFrame);
    if (!line)
        return std::nullopt;
    const double ns = line->interceptNs + line->slope * frame + frame * 1e9 / kRate;
    return TimePoint(std::chrono::nanoseconds(std::llround(ns)));
}

std::vector<std::int64_t> MonitorRecorder::clicks(float threshold, int apart) const
{
    const std::vector<float> recorded = samples();
    std::vector<std::int64_t> found;
    const auto size = static_cast<std::int64_t>(recorded.size());
    for (std::int64_t i = 0; i < size; ++i) {
        if (std::fabs(recorded[i]) < threshold)
            continue;
        const std::int64_t from = std::max<std::int64_t>(0, i - apart);
        const std::int64_t to = std::min(size, i + apart + 1);
        const auto peak = std::max_element(recorded.begin() + from, recorded.begin() + to,
                                           [](float a, float b) { return std::fabs(a) < std::fabs(b); });
        if (peak - recorded.begin() == i)
            found.push_back(i);
    }
    return found;
}
