#include "support/monitor_recorder.h"

#include <pulse/pulseaudio.h>

#include <QThread>

#include <sys/time.h>

#include <algorithm>
#include <cmath>

namespace lyricue {

namespace {

constexpr int kFrameBytes = 2 * sizeof(float);
constexpr pa_usec_t kReportEveryUs = 2000;
// The reports within this many frames of a frame give the sink's rate there; those
// within the nearer span place it, enough of them that some came right after the sink
// moved on.
constexpr double kReportSpan = MonitorRecorder::kRate;
constexpr double kRateSpan = MonitorRecorder::kRate / 2;
constexpr double kNearSpan = MonitorRecorder::kRate / 4;
constexpr std::size_t kFewestReports = 20;
// Slices in which the earliest report is looked for, and by how much the sink's clock may
// move on before it counts as having stopped: a PipeWire graph that skips a cycle moves
// it by 5.3 ms or more.
constexpr double kSliceFrames = MonitorRecorder::kRate / 5;
constexpr double kJumpNs = 2e6;

double nanoseconds(MonitorRecorder::TimePoint time)
{
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

}  // namespace

struct MonitorRecorder::Callbacks {
    static void read(pa_stream* stream, std::size_t, void* self)
    {
        auto* recorder = static_cast<MonitorRecorder*>(self);
        const TimePoint arrived = std::chrono::steady_clock::now();
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
            const auto frames = static_cast<std::int64_t>(bytes / kFrameBytes);
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

    static void tick(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* self)
    {
        auto* recorder = static_cast<MonitorRecorder*>(self);
        if (pa_stream_get_state(recorder->m_stream) == PA_STREAM_READY) {
            if (pa_operation* operation = pa_stream_update_timing_info(recorder->m_stream, &report, self))
                pa_operation_unref(operation);
        }
        pa_context_rttime_restart(recorder->m_context, event, pa_rtclock_now() + kReportEveryUs);
    }

    static void report(pa_stream* stream, int success, void* self)
    {
        auto* recorder = static_cast<MonitorRecorder*>(self);
        const pa_timing_info* info = success ? pa_stream_get_timing_info(stream) : nullptr;
        if (!info || !info->synchronized_clocks || info->write_index_corrupt || !info->playing)
            return;
        // The server stamped its answer with its wall clock; the same moment on the steady
        // clock, from both clocks read together here.
        timeval wall{};
        gettimeofday(&wall, nullptr);
        const double steadyNs = nanoseconds(std::chrono::steady_clock::now());
        const double ageNs = (double(wall.tv_sec - info->timestamp.tv_sec) * 1e6
                              + double(wall.tv_usec - info->timestamp.tv_usec))
            * 1000;
        const std::int64_t written = info->write_index / kFrameBytes;
        // As libpulse counts a recording's time: what was handed over, plus what the source
        // holds, less what the sink still holds (a monitor's data leaves the sink early).
        const double frame = double(written)
            + (double(info->source_usec) - double(info->sink_usec)) * kRate / 1e6;
        std::lock_guard lock(recorder->m_mutex);
        recorder->m_reports.push_back({steadyNs - std::max(0.0, ageNs), frame});
        if (recorder->m_lastWriteIndex >= 0 && written > recorder->m_lastWriteIndex) {
            const std::int64_t step = written - recorder->m_lastWriteIndex;
            recorder->m_smallestStep =
                recorder->m_smallestStep == 0 ? step : std::min(recorder->m_smallestStep, step);
        }
        recorder->m_lastWriteIndex = written;
    }
};

MonitorRecorder::~MonitorRecorder()
{
    stop();
}

bool MonitorRecorder::start(const QByteArray& server, const QByteArray& source, QString* error, int fragmentFrames)
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
        pa_stream_set_read_callback(m_stream, &Callbacks::read, this);
        pa_buffer_attr attributes{};
        attributes.maxlength = std::uint32_t(-1);
        attributes.fragsize = std::uint32_t(fragmentFrames * kFrameBytes);
        ready = pa_stream_connect_record(m_stream, source.constData(), &attributes, PA_STREAM_ADJUST_LATENCY) == 0
            && wait([&] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; });
    }
    if (ready)
        m_timer = pa_context_rttime_new(m_context, pa_rtclock_now() + kReportEveryUs, &Callbacks::tick, this);
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
    if (m_timer)
        pa_threaded_mainloop_get_api(m_mainloop)->time_free(m_timer);
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
    m_timer = nullptr;
}

std::vector<float> MonitorRecorder::samples() const
{
    std::lock_guard lock(m_mutex);
    return m_samples;
}

std::vector<MonitorRecorder::Report> MonitorRecorder::reportsBetween(double fromFrame, double toFrame) const
{
    std::vector<Report> reports;
    std::lock_guard lock(m_mutex);
    for (const Report& report : m_reports) {
        if (report.frame >= fromFrame && report.frame <= toFrame)
            reports.push_back(report);
    }
    std::sort(reports.begin(), reports.end(), [](const Report& a, const Report& b) {
        return a.frame < b.frame || (a.frame == b.frame && a.serverNs < b.serverNs);
    });
    return reports;
}

std::vector<MonitorRecorder::Stretch> MonitorRecorder::stretches(const std::vector<Report>& reports)
{
    // Per slice of frames, the earliest report against the nominal rate. When the sink
    // stops for a moment, every later slice's earliest comes later by that much; a server
    // busy for a slice only makes that slice's earliest late. So the sink stopped where
    // the earliest of all later slices moves on by more than a busy server's lateness.
    struct Slice {
        double firstFrame;
        double lastFrame;
        double earliestNs;
    };
    std::vector<Slice> slices;
    for (std::size_t i = 0; i < reports.size();) {
        Slice slice{reports[i].frame, reports[i].frame, INFINITY};
        for (; i < reports.size() && reports[i].frame < slice.firstFrame + kSliceFrames; ++i) {
            slice.lastFrame = reports[i].frame;
            slice.earliestNs = std::min(slice.earliestNs, reports[i].serverNs - reports[i].frame * 1e9 / kRate);
        }
        slices.push_back(slice);
    }
    for (std::size_t k = slices.size(); k-- > 1;)
        slices[k - 1].earliestNs = std::min(slices[k - 1].earliestNs, slices[k].earliestNs);
    std::vector<Stretch> found;
    for (std::size_t k = 0; k < slices.size(); ++k) {
        if (k == 0 || slices[k].earliestNs - slices[k - 1].earliestNs > kJumpNs)
            found.push_back({slices[k].firstFrame, slices[k].lastFrame});
        else
            found.back().lastFrame = slices[k].lastFrame;
    }
    return found;
}

bool MonitorRecorder::sinkKeptTime(std::int64_t fromFrame, std::int64_t toFrame) const
{
    return stretches(reportsBetween(double(fromFrame), double(toFrame))).size() == 1;
}

std::optional<MonitorRecorder::TimePoint> MonitorRecorder::playedAt(double frame, std::int64_t fromFrame,
                                                                    std::int64_t toFrame) const
{
    // Each report says frame `report.frame` was played at `report.serverNs` or before, so
    // the play times lie on or below every report, and the line of them touches the
    // reports that came right after the sink moved on. Only the reports of the stretch the
    // sink played without stopping count.
    std::vector<Report> reports = reportsBetween(std::max(double(fromFrame), frame - kReportSpan),
                                                 std::min(double(toFrame), frame + kReportSpan));
    for (const Stretch& stretch : stretches(reports)) {
        if (frame >= stretch.firstFrame && frame <= stretch.lastFrame) {
            std::erase_if(reports, [&](const Report& report) {
                return report.frame < stretch.firstFrame || report.frame > stretch.lastFrame;
            });
            break;
        }
    }
    // The rate: a null sink's clock may run a little fast (PulseAudio's counts whole
    // microseconds a block). From the lower hull of the reports, between corners well
    // inside it (the first and the last report are always corners, however late they
    // came); the nominal rate over too short a stretch.
    std::vector<Report> hull;
    for (const Report& report : reports) {
        if (!hull.empty() && hull.back().frame == report.frame)
            continue;  // the earlier of two reports of one frame is the tighter
        while (hull.size() >= 2) {
            const Report& a = hull[hull.size() - 2];
            const Report& b = hull.back();
            const double turn = (b.frame - a.frame) * (report.serverNs - a.serverNs)
                - (b.serverNs - a.serverNs) * (report.frame - a.frame);
            if (turn > 0)
                break;
            hull.pop_back();
        }
        hull.push_back(report);
    }
    double nsPerFrame = 1e9 / kRate;
    if (hull.size() >= 4 && hull[hull.size() - 2].frame - hull[1].frame >= kRateSpan)
        nsPerFrame = (hull[hull.size() - 2].serverNs - hull[1].serverNs) / (hull[hull.size() - 2].frame - hull[1].frame);
    // The line at that rate below all reports near the frame.
    double ns = INFINITY;
    std::size_t near = 0;
    for (const Report& report : reports) {
        if (std::fabs(report.frame - frame) > kNearSpan)
            continue;
        ns = std::min(ns, report.serverNs + (frame - report.frame) * nsPerFrame);
        ++near;
    }
    if (near < kFewestReports)
        return std::nullopt;
    return TimePoint(std::chrono::nanoseconds(std::llround(ns)));
}

std::optional<double> MonitorRecorder::smallestDeliveryDelayMs(std::int64_t fromFrame, std::int64_t toFrame) const
{
    std::vector<Fragment> fragments;
    {
        std::lock_guard lock(m_mutex);
        fragments = m_fragments;
    }
    std::optional<double> smallest;
    for (const Fragment& fragment : fragments) {
        if (fragment.firstFrame < fromFrame || fragment.firstFrame > toFrame)
            continue;
        const std::optional<TimePoint> played = playedAt(double(fragment.firstFrame), fromFrame, toFrame);
        if (!played)
            continue;
        const double delay = std::chrono::duration<double, std::milli>(fragment.arrived - *played).count();
        smallest = smallest ? std::min(*smallest, delay) : delay;
    }
    return smallest;
}

std::int64_t MonitorRecorder::reportStepFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_smallestStep;
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

}  // namespace lyricue
