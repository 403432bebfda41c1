#include "audio/transport.h"

#include "audio/decode_ahead.h"
#include "audio/frame_ring.h"
#include "audio/pulse_output.h"
#include "audio/sdl_output.h"
#include "base/log.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lyricue {

namespace {

using namespace std::chrono_literals;

// Frames the ring holds: half a second ahead at 48 kHz (DecodeAhead::kAheadSeconds) and
// as much again behind it for a jump to fill while the stale frames drain.
constexpr int kRingFrames = 1 << 16;
// How long a Manual output waits for the decoding thread before it gives what there is.
constexpr auto kManualWait = 5s;

PlayClock::TimePoint now()
{
    return std::chrono::steady_clock::now();
}

// A sound server is tried unless SDL_AUDIODRIVER names a driver other than a server's.
bool soundServerAllowed()
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (!driver || !*driver)
        return true;
    const QByteArray name(driver);
    return name == "pulseaudio" || name == "pulse" || name == "pipewire";
}

QString clockText(std::int64_t frame, int rate)
{
    const std::int64_t ms = rate > 0 ? frame * 1000 / rate : 0;
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

}  // namespace

struct Transport::Pipeline {
    FrameRing ring{kRingFrames};
    PlayClock clock;
    PlaybackVoice voice{ring, clock};
    DecodeAhead decodeAhead{ring};
};

// What the output pulls: the voice's frames, and the clock told what is heard.
class Transport::Feed final : public OutputFeed {
public:
    explicit Feed(Pipeline& pipeline)
        : m_pipeline(pipeline)
    {
    }

    void pull(float* stereo, int frames) override
    {
        m_pipeline.voice.render(stereo, frames);
        m_pipeline.clock.publish();
    }
    std::int64_t handed() const override { return m_pipeline.voice.outputFrames(); }
    void heard(TimePoint time, double outputFrame) override
    {
        m_pipeline.clock.observe(time, outputFrame);
        m_pipeline.clock.publish();
    }
    void restartTimeline() override { m_pipeline.clock.restartTimeline(); }

private:
    Pipeline& m_pipeline;
};

Transport::Transport(Output output, Route route)
    : m_output(output)
    , m_route(std::move(route))
{
}

Transport::~Transport()
{
    shutDown();
}

void Transport::setVolume(int left, int right)
{
    m_volumeLeft = left;
    m_volumeRight = right;
    if (m_pipeline)
        m_pipeline->voice.setVolume(left, right);
}

void Transport::load(std::unique_ptr<Decoder> source, Pace pace)
{
    ensurePipeline();
    m_pace = pace;
    m_sourceRate = source->sampleRate();
    m_lengthFrames = source->lengthFrames();
    m_pipeline->decodeAhead.setSource(std::move(source));
    m_state = EngineStopped;
    m_rate = m_settings.outputRateFor(m_sourceRate);
    startAt(0, false);
}

void Transport::unload()
{
    if (m_pipeline) {
        m_state = EngineStopped;
        ++m_generation;
        m_pipeline->voice.setTarget(m_generation, false);
        m_pipeline->decodeAhead.setSource(nullptr);
        m_suspendPending = m_device != nullptr;
    }
    m_pace = Pace::Chosen;
    m_sourceRate = 0;
    m_lengthFrames = 0;
    m_position = 0;
    m_reported = 0;
}

void Transport::settle(TimePoint time)
{
    if (!m_pipeline)
        return;
    if (m_device) {
        if (const std::optional<TimePoint> lost = m_device->lostAt()) {
            if (m_state == EnginePlaying) {
                const std::int64_t heard = position(std::min(*lost, time));
                pauseAt(heard);
                logWarning(QStringLiteral("the sound output went away; paused at %1").arg(clockText(heard, m_sourceRate)));
            } else {
                logWarning(QStringLiteral("the sound output went away"));
            }
            m_device.reset();
            m_suspendPending = false;
        }
    }
    const PlayClock::Reading reading = m_pipeline->clock.read();
    const std::optional<double> heardOutput = reading.outputAt(time);
    if (m_state == EnginePlaying) {
        const std::int64_t end = m_pipeline->voice.endOf(m_generation);
        if (end >= 0 && heardOutput && *heardOutput >= double(end))
            stop();
    } else if (std::optional<std::int64_t> landed = m_pipeline->decodeAhead.landed(m_generation)) {
        m_position = std::clamp<std::int64_t>(*landed, 0, m_lengthFrames);
    }
    if (m_suspendPending && m_device) {
        const std::int64_t quiet = m_pipeline->voice.quietFrom(m_generation);
        if (quiet >= 0 && (!heardOutput || *heardOutput >= double(quiet))) {
            m_device->suspend();
            m_suspendPending = false;
        }
    }
}

std::int64_t Transport::position(TimePoint time)
{
    if (m_state != EnginePlaying || !m_pipeline)
        return m_position;
    const PlayClock::Reading reading = m_pipeline->clock.read();
    if (reading.generation == m_generation) {
        if (const std::optional<double> heard = reading.sourceAt(time))
            m_reported = std::max(m_reported, std::min<std::int64_t>(std::llround(*heard), m_lengthFrames));
    }
    return m_reported;
}

Result Transport::play()
{
    if (!isLoaded())
        return Result::failure(QStringLiteral("再生する曲が開かれていません。"));
    if (m_state == EnginePlaying)
        return {};
    const int rate = m_settings.outputRateFor(m_sourceRate);
    if (m_output == Output::Device) {
        if (Result opened = ensureOutput(rate, m_settings.bufferFramesAt(rate)); !opened.ok())
            return opened;
    }
    m_pipeline->voice.setShape(m_settings.fadeFramesAt(rate), m_settings.forceMono);
    m_state = EnginePlaying;
    m_reported = m_position;
    if (rate != m_rate) {
        m_rate = rate;
        startAt(m_position, true);
    } else {
        // The frames from the position are decoded already.
        m_pipeline->decodeAhead.play();
        m_pipeline->voice.setTarget(m_generation, true);
    }
    m_suspendPending = false;
    if (m_device)
        m_device->resume();
    return {};
}

void Transport::pauseAt(std::int64_t frame)
{
    m_state = EnginePaused;
    startAt(frame, false);
    m_suspendPending = m_device != nullptr;
}

void Transport::stop()
{
    if (!isLoaded())
        return;
    m_state = EngineStopped;
    startAt(0, false);
    m_suspendPending = m_device != nullptr;
}

void Transport::startAt(std::int64_t frame, bool running)
{
    ++m_generation;
    m_position = frame;
    m_reported = frame;
    const double speed = m_pace == Pace::Own ? 1.0 : m_speedPercent / 100.0;
    m_pipeline->decodeAhead.start(m_generation, frame, m_rate, speed);
    if (running)
        m_pipeline->decodeAhead.play();
    m_pipeline->voice.setTarget(m_generation, running);
    if (m_output == Output::Manual && m_pipeline->decodeAhead.waitForLanding(m_generation, kManualWait)) {
        // Where a damaged stream let the decoder land.
        m_position = std::clamp<std::int64_t>(*m_pipeline->decodeAhead.landed(m_generation), 0, m_lengthFrames);
        m_reported = m_position;
    }
}

void Transport::setSpeed(int percent, TimePoint time)
{
    if (percent == m_speedPercent)
        return;
    m_speedPercent = percent;
    if (isLoaded())
        startAt(position(time), m_state == EnginePlaying);
}

void Transport::releaseOutput(TimePoint time)
{
    if (m_state == EnginePlaying)
        pauseAt(position(time));
    m_device.reset();
}

void Transport::shutDown()
{
    m_device.reset();
    unload();
    m_feed.reset();
    m_pipeline.reset();
}

void Transport::waitForDecodedFrames(std::mutex& ownerMutex, int frames)
{
    if (m_output != Output::Manual)
        return;
    std::uint32_t generation = 0;
    {
        std::lock_guard lock(ownerMutex);
        if (!m_pipeline || m_state != EnginePlaying)
            return;
        generation = m_generation;
    }
    const FrameRing& ring = m_pipeline->ring;
    const auto deadline = now() + kManualWait;
    for (;;) {
        const std::uint64_t written = ring.writeCount();
        // The generation's frames are the newest ones, behind any stale ones.
        const int readable = ring.readable();
        int ready = 0;
        while (ready < readable && ready < frames && ring.tagAt(readable - 1 - ready).generation == generation)
            ++ready;
        if (ready >= frames || ring.endsAt(generation, readable) || now() > deadline)
            return;
        m_pipeline->decodeAhead.waitForProgress(written, 50ms);
    }
}

int Transport::render(float* stereo, int frames, const Heard& heard)
{
    if (!m_pipeline) {
        std::fill_n(stereo, std::size_t(frames) * 2, 0.0f);
        return 0;
    }
    PlayClock& clock = m_pipeline->clock;
    clock.setExact(!heard);
    const std::int64_t first = m_pipeline->voice.outputFrames();
    const int got = m_pipeline->voice.render(stereo, frames);
    if (heard) {
        clock.setNominalRate(m_rate);
        clock.observe(heard->first, double(first) - heard->second);
    }
    clock.publish();
    return got;
}

PlaybackVoice::Underruns Transport::underruns() const
{
    return m_pipeline ? m_pipeline->voice.underruns() : PlaybackVoice::Underruns{};
}

std::optional<std::chrono::nanoseconds> Transport::lastStartToFirstFrame() const
{
    return m_pipeline ? m_pipeline->decodeAhead.lastStartToFirstFrame() : std::nullopt;
}

void Transport::ensurePipeline()
{
    if (m_pipeline)
        return;
    m_pipeline = std::make_unique<Pipeline>();
    m_feed = std::make_unique<Feed>(*m_pipeline);
    m_pipeline->voice.setVolume(m_volumeLeft, m_volumeRight);
}

Result Transport::ensureOutput(int rate, int bufferFrames)
{
    if (m_device && m_device->sampleRate() == rate && m_device->bufferFrames() == bufferFrames)
        return {};
    m_device.reset();
    m_pipeline->voice.restart();
    m_pipeline->clock.setExact(false);
    m_pipeline->clock.setNominalRate(rate);
    const bool serverFirst = m_route.kind == Route::SoundServerOnly
        || (m_route.kind == Route::Automatic && soundServerAllowed());
    if (serverFirst) {
        ResultOf<std::unique_ptr<PulseOutput>> server = PulseOutput::open(m_route.server, rate, bufferFrames, *m_feed);
        if (server.ok())
            m_device = std::move(server).value();
        else if (m_route.kind == Route::SoundServerOnly)
            return Result::failure(QStringLiteral("サウンドサーバー (%1) が応答しません (%2)。")
                                       .arg(m_route.server.isEmpty() ? QStringLiteral("既定のアドレス")
                                                                     : QString::fromLocal8Bit(m_route.server),
                                            server.errorString()));
    }
    m_deviceIsServer = m_device != nullptr;
    if (m_device)
        return {};
    ResultOf<std::unique_ptr<SdlOutput>> sdl = SdlOutput::open(rate, bufferFrames, *m_feed);
    if (!sdl.ok())
        return Result::failure(sdl.errorString());
    m_device = std::move(sdl).value();
    return {};
}

}  // namespace lyricue
