#include "audio/pulse_output.h"

#include "audio/pulse_api.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace lyricue {

namespace {

using namespace std::chrono_literals;

constexpr int kFrameBytes = 2 * sizeof(float);
// The server holds this many of the engine's buffers: enough that a busy machine does
// not starve it, while the clock counts every one of them.
constexpr int kServerBuffers = 4;
// How often the read position is asked for: every 2 ms just after a start, so that the
// clock locks fast, then every 2 to 4 ms, the interval spread at random so that the
// answers fall at every point of the server's cycle, some right after its start.
constexpr int kQuickTimings = 50;
constexpr pa_usec_t kQuickTimingUs = 2000;
constexpr pa_usec_t kTimingUs = 2000;
constexpr pa_usec_t kTimingSpreadUs = 2000;
// Bounds older than this are let go: a sound card's clock drifts from its nominal rate
// by well under 0.02 %, 0.1 ms over this span. In the first second after a start, when
// a PipeWire graph is still being set up around the stream and may stop for a moment,
// a shorter span (six cycles at least), so that the clock follows such a stop at once.
constexpr std::int64_t kBoundSpanNs = 500'000'000;
constexpr std::int64_t kStartingBoundSpanNs = 60'000'000;
constexpr std::int64_t kStartingCycles = 6;
constexpr std::int64_t kStartingNs = 1'000'000'000;
constexpr pa_usec_t kCorkedTimingUs = 250000;
constexpr int kFeedPriority = 10;
constexpr int kFeedNice = -11;
constexpr auto kConnectLimit = 2s;

std::int64_t nanoseconds(SoundOutput::TimePoint time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

void unrefOperation(pa_operation* operation)
{
    if (operation)
        pulseApi()->pa_operation_unref(operation);
}

// The thread that feeds the server runs ahead of ordinary work where the system allows
// it, as a desktop's audio threads do: else a machine busy on both cores leaves it
// waiting 100 ms and more, longer than the server holds. It never waits on anything, so
// that it cannot hold a core. Low among real-time threads, below the server's own.
void raiseThreadPriority()
{
    sched_param parameters{};
    parameters.sched_priority = kFeedPriority;
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &parameters) == 0)
        return;
    // Else as far up as the system's limit for this user lets it go (often not at all).
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kFeedNice);
}

}  // namespace

struct PulseOutput::Callbacks {
    static void contextState(pa_context* context, void* self)
    {
        const pa_context_state_t state = pulseApi()->pa_context_get_state(context);
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
            static_cast<PulseOutput*>(self)->markLost();
    }

    static void serverInfo(pa_context*, const pa_server_info* info, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        output->m_pipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
        output->m_serverInfoDone.store(true, std::memory_order_release);
    }

    static void streamState(pa_stream* stream, void* self)
    {
        const pa_stream_state_t state = pulseApi()->pa_stream_get_state(stream);
        if (state == PA_STREAM_READY)
            raiseThreadPriority();  // on libpulse's thread, which feeds the stream
        if (state == PA_STREAM_FAILED)
            static_cast<PulseOutput*>(self)->markLost();
    }

    static void writeRequested(pa_stream* stream, std::size_t bytes, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        const PulseApi* pa = pulseApi();
        while (bytes >= std::size_t(kFrameBytes)) {
            void* data = nullptr;
            std::size_t size = bytes;
            if (pa->pa_stream_begin_write(stream, &data, &size) < 0 || !data)
                return;
            const int frames = static_cast<int>(std::min(size, bytes) / kFrameBytes);
            output->m_feed.pull(static_cast<float*>(data), frames);
            pa->pa_stream_write(stream, data, std::size_t(frames) * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            bytes -= std::size_t(frames) * kFrameBytes;
        }
    }

    static void underflow(pa_stream*, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        output->m_serverUnderruns.fetch_add(1, std::memory_order_relaxed);
        // The listener heard nothing new for a while: the bounds before say nothing of now.
        output->forgetBounds();
    }

    static void timingTick(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
    {
        static_cast<PulseOutput*>(self)->askTiming();
    }

    static void timingDone(pa_stream*, int success, void* self)
    {
        if (success)
            static_cast<PulseOutput*>(self)->measure();
    }

    static void wakeRead(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self)
    {
        char drain[64];
        while (::read(fd, drain, sizeof drain) > 0) {
        }
        static_cast<PulseOutput*>(self)->takeRequest();
    }
};

PulseOutput::PulseOutput(OutputFeed& feed, int sampleRate, int bufferFrames)
    : m_feed(feed)
    , m_sampleRate(sampleRate)
    , m_bufferFrames(bufferFrames)
{
}

ResultOf<std::unique_ptr<PulseOutput>> PulseOutput::open(const QByteArray& server, int sampleRate,
                                                         int bufferFrames, OutputFeed& feed)
{
    if (!pulseApi())
        return Result::failure(QStringLiteral("libpulse を読み込めません"));
    std::unique_ptr<PulseOutput> output(new PulseOutput(feed, sampleRate, bufferFrames));
    if (Result connected = output->connect(server); !connected.ok())
        return connected;
    return output;
}

template <typename Ready>
Result PulseOutput::waitFor(Ready ready)
{
    // Polled, not waited on: a server that never answers must not hang the caller.
    const auto deadline = std::chrono::steady_clock::now() + kConnectLimit;
    const PulseApi* pa = pulseApi();
    while (!ready()) {
        if (m_lostAtNs.load() >= 0)
            return Result::failure(QStringLiteral("接続に失敗しました"));
        if (std::chrono::steady_clock::now() > deadline)
            return Result::failure(QStringLiteral("%1 秒待っても準備が整いません")
                                       .arg(std::chrono::duration_cast<std::chrono::seconds>(kConnectLimit).count()));
        pa->pa_threaded_mainloop_unlock(m_mainloop);
        std::this_thread::sleep_for(500us);
        pa->pa_threaded_mainloop_lock(m_mainloop);
    }
    return {};
}

Result PulseOutput::connect(const QByteArray& server)
{
    const PulseApi* pa = pulseApi();
    if (::pipe(m_wakeFds) != 0)
        return Result::failure(QStringLiteral("スレッド間の通知路を作れません"));
    for (const int fd : m_wakeFds)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_mainloop = pa->pa_threaded_mainloop_new();
    if (!m_mainloop)
        return Result::failure(QStringLiteral("libpulse のイベントループを作れません"));
    pa_mainloop_api* api = pa->pa_threaded_mainloop_get_api(m_mainloop);
    m_context = pa->pa_context_new(api, "Lyricue");
    if (!m_context)
        return Result::failure(QStringLiteral("libpulse の接続を用意できません"));
    pa->pa_context_set_state_callback(m_context, &Callbacks::contextState, this);
    if (pa->pa_context_connect(m_context, server.isEmpty() ? nullptr : server.constData(), PA_CONTEXT_NOAUTOSPAWN,
                               nullptr)
        < 0)
        return Result::failure(QStringLiteral("接続できません"));
    if (pa->pa_threaded_mainloop_start(m_mainloop) < 0)
        return Result::failure(QStringLiteral("libpulse のスレッドを始められません"));
    m_running = true;

    pa->pa_threaded_mainloop_lock(m_mainloop);
    Result ready = waitFor([&] { return pa->pa_context_get_state(m_context) == PA_CONTEXT_READY; });
    if (ready.ok()) {
        unrefOperation(pa->pa_context_get_server_info(m_context, &Callbacks::serverInfo, this));
        ready = waitFor([&] { return m_serverInfoDone.load(std::memory_order_acquire); });
    }
    if (ready.ok()) {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, std::uint32_t(m_sampleRate), 2};
        m_stream = pa->pa_stream_new(m_context, "Lyricue", &spec, nullptr);
        if (!m_stream)
            ready = Result::failure(QStringLiteral("再生ストリームを作れません"));
    }
    if (ready.ok()) {
        pa->pa_stream_set_state_callback(m_stream, &Callbacks::streamState, this);
        pa->pa_stream_set_write_callback(m_stream, &Callbacks::writeRequested, this);
        pa->pa_stream_set_underflow_callback(m_stream, &Callbacks::underflow, this);
        const auto bytes = std::uint32_t(m_bufferFrames * kFrameBytes);
        pa_buffer_attr attributes{};
        attributes.maxlength = std::uint32_t(-1);
        attributes.tlength = bytes * kServerBuffers;
        attributes.prebuf = std::uint32_t(-1);
        attributes.minreq = bytes;
        attributes.fragsize = std::uint32_t(-1);
        const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
        if (pa->pa_stream_connect_playback(m_stream, nullptr, &attributes, flags, nullptr, nullptr) != 0)
            ready = Result::failure(QStringLiteral("再生ストリームを開けません"));
        else
            ready = waitFor([&] { return pa->pa_stream_get_state(m_stream) == PA_STREAM_READY; });
    }
    if (ready.ok()) {
        m_wakeEvent = api->io_new(api, m_wakeFds[0], PA_IO_EVENT_INPUT, &Callbacks::wakeRead, this);
        m_timer = pa->pa_context_rttime_new(m_context, pa->pa_rtclock_now() + kCorkedTimingUs,
                                            &Callbacks::timingTick, this);
    }
    pa->pa_threaded_mainloop_unlock(m_mainloop);
    return ready;
}

PulseOutput::~PulseOutput()
{
    const PulseApi* pa = pulseApi();
    if (m_mainloop) {
        if (m_running)
            pa->pa_threaded_mainloop_lock(m_mainloop);
        pa_mainloop_api* api = pa->pa_threaded_mainloop_get_api(m_mainloop);
        if (m_timer)
            api->time_free(m_timer);
        if (m_wakeEvent)
            api->io_free(m_wakeEvent);
        if (m_stream) {
            pa->pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa->pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa->pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
            if (pa->pa_stream_get_state(m_stream) == PA_STREAM_READY)
                pa->pa_stream_disconnect(m_stream);
            pa->pa_stream_unref(m_stream);
        }
        if (m_context) {
            pa->pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa->pa_context_disconnect(m_context);
            pa->pa_context_unref(m_context);
        }
        if (m_running) {
            pa->pa_threaded_mainloop_unlock(m_mainloop);
            pa->pa_threaded_mainloop_stop(m_mainloop);
        }
        pa->pa_threaded_mainloop_free(m_mainloop);
    }
    for (const int fd : m_wakeFds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void PulseOutput::resume()
{
    m_request.store(ResumeRequest, std::memory_order_release);
    const char wake = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFds[1], &wake, 1);
}

void PulseOutput::suspend()
{
    m_request.store(SuspendRequest, std::memory_order_release);
    const char wake = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeFds[1], &wake, 1);
}

std::optional<SoundOutput::TimePoint> PulseOutput::lostAt() const
{
    const std::int64_t ns = m_lostAtNs.load(std::memory_order_acquire);
    if (ns < 0)
        return std::nullopt;
    return TimePoint(std::chrono::nanoseconds(ns));
}

void PulseOutput::markLost()
{
    std::int64_t none = -1;
    m_lostAtNs.compare_exchange_strong(none, nanoseconds(std::chrono::steady_clock::now()));
}

void PulseOutput::takeRequest()
{
    const PulseApi* pa = pulseApi();
    const int request = m_request.exchange(NoRequest, std::memory_order_acq_rel);
    if (!m_stream || pa->pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    if (request == ResumeRequest && m_corked) {
        // What waits in the server is the silence written while paused: dropped, once the
        // frame it drops back to is known.
        if (m_corkedRead >= 0) {
            m_indexOffset = m_feed.handed() - m_corkedRead;
            unrefOperation(pa->pa_stream_flush(m_stream, nullptr, nullptr));
        }
        unrefOperation(pa->pa_stream_cork(m_stream, 0, nullptr, nullptr));
        m_corked = false;
        forgetBounds();
        m_quickTimings = kQuickTimings;
        m_feed.restartTimeline();
        pa->pa_context_rttime_restart(m_context, m_timer, pa->pa_rtclock_now() + kQuickTimingUs);
    } else if (request == SuspendRequest && !m_corked) {
        unrefOperation(pa->pa_stream_cork(m_stream, 1, nullptr, nullptr));
        m_corked = true;
        m_corkedRead = -1;
        unrefOperation(pa->pa_stream_update_timing_info(m_stream, &Callbacks::timingDone, this));
    }
}

void PulseOutput::askTiming()
{
    const PulseApi* pa = pulseApi();
    pa_usec_t next = kCorkedTimingUs;
    if (!m_corked && m_stream && pa->pa_stream_get_state(m_stream) == PA_STREAM_READY) {
        unrefOperation(pa->pa_stream_update_timing_info(m_stream, &Callbacks::timingDone, this));
        m_askSpread = m_askSpread * 1664525u + 1013904223u;
        next = m_quickTimings > 0 ? kQuickTimingUs : kTimingUs + pa_usec_t(m_askSpread >> 8) % kTimingSpreadUs;
        if (m_quickTimings > 0)
            --m_quickTimings;
    }
    pa->pa_context_rttime_restart(m_context, m_timer, pa->pa_rtclock_now() + next);
}

std::int64_t PulseOutput::cycleFrames() const
{
    // The smallest step between two answers: answers come more often than cycles, so
    // that some pairs lie a single cycle apart.
    if (m_readStepCount < 4)
        return 0;
    std::int64_t step = 0;
    for (int i = 0; i < std::min(m_readStepCount, int(std::size(m_readSteps))); ++i)
        step = step == 0 ? m_readSteps[i] : std::min(step, m_readSteps[i]);
    return step >= 16 && step <= 8192 ? step : 0;
}

void PulseOutput::forgetBounds()
{
    m_boundCount = 0;
    m_lastRead = -1;
    m_readStepCount = 0;
}

void PulseOutput::measure()
{
    const pa_timing_info* info = pulseApi()->pa_stream_get_timing_info(m_stream);
    if (!info || info->read_index_corrupt)
        return;
    if (m_corked) {
        m_corkedRead = info->read_index / kFrameBytes;
        return;
    }
    // Before the server has buffered enough to start, and in an underrun, the read
    // position stands while time goes on: no measure of what is heard.
    if (!info->playing) {
        forgetBounds();
        return;
    }
    // The answer's own moment, on the steady clock: the server's stamp, or where it keeps
    // another clock than this machine's, when the answer left it.
    timeval now{};
    gettimeofday(&now, nullptr);
    const TimePoint steadyNow = std::chrono::steady_clock::now();
    const std::int64_t ageUs = info->synchronized_clocks
        ? (std::int64_t(now.tv_sec) - info->timestamp.tv_sec) * 1000000
            + (std::int64_t(now.tv_usec) - info->timestamp.tv_usec)
        : std::int64_t(info->transport_usec);
    const TimePoint taken = steadyNow - std::chrono::microseconds(std::max<std::int64_t>(0, ageUs));
    const std::int64_t takenNs = nanoseconds(taken);

    const std::int64_t read = info->read_index / kFrameBytes;
    double heard = double(read + m_indexOffset) - double(info->sink_usec) * m_sampleRate / 1e6;
    if (m_pipeWire) {
        if (m_lastRead >= 0 && read > m_lastRead)
            m_readSteps[m_readStepCount++ % std::size(m_readSteps)] = read - m_lastRead;
        m_lastRead = read;
        const std::int64_t cycle = cycleFrames();
        if (cycle == 0)
            return;  // not before the cycle is known
        heard -= double(cycle);
    }
    if (m_boundCount == 0)
        m_firstBoundNs = takenNs;
    m_bounds[m_boundCount++ % std::size(m_bounds)] = Bound{takenNs, heard};
    const std::int64_t span = takenNs - m_firstBoundNs < kStartingNs
        ? std::max(kStartingBoundSpanNs, kStartingCycles * cycleFrames() * 1'000'000'000 / m_sampleRate)
        : kBoundSpanNs;
    double highest = heard;
    for (int i = 0; i < std::min(m_boundCount, int(std::size(m_bounds))); ++i) {
        const Bound& bound = m_bounds[i];
        if (takenNs - bound.serverNs > span || bound.serverNs > takenNs)
            continue;
        highest = std::max(highest, bound.heard + double(takenNs - bound.serverNs) * m_sampleRate / 1e9);
    }
    m_feed.heard(taken, highest);
}

}  // namespace lyricue
