#include "audio/playback_engine.h"

#include "audio/decode_ahead.h"
#include "audio/decoder_factory.h"
#include "audio/frame_ring.h"
#include "audio/pulse_output.h"
#include "text/record_text.h"
#include "audio/sdl_output.h"
#include "audio/tag_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

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

std::int32_t clampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

// A Xing/Info header may claim up to 2^32 frames, years of sound: counts beyond the
// record's 32 bits are clamped, not wrapped.
void fillDetail(const Mp3Decoder::Info& info, TrackDetailRecord& detail)
{
    detail.mpegVersion = info.mpegVersion;
    detail.layer = info.layer;
    detail.sampleRate = info.sampleRate;
    detail.channels = info.channels;
    detail.bitRateKbps = info.bitRateKbps;
    detail.isVbr = info.isVbr ? 1 : 0;
    detail.frameCount = clampToInt32(info.mpegFrames);
    detail.lengthMs = clampToInt32(info.lengthFrames * 1000 / info.sampleRate);
    detail.hasXingHeader = info.hasXing ? 1 : 0;
    detail.hasId3v1 = info.hasId3v1 ? 1 : 0;
    detail.hasId3v2 = info.hasId3v2 ? 1 : 0;
    detail.isRiff = info.isRiff ? 1 : 0;
    detail.encoderDelay = info.encoderDelay;
    detail.encoderPadding = info.encoderPadding;
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

QByteArray clockText(std::int64_t frame, int rate)
{
    const std::int64_t ms = rate > 0 ? frame * 1000 / rate : 0;
    return QByteArray::number(ms / 60000).rightJustified(2, '0') + ':'
        + QByteArray::number(ms / 1000 % 60).rightJustified(2, '0') + '.'
        + QByteArray::number(ms % 1000).rightJustified(3, '0');
}

}  // namespace

struct PlaybackEngine::Pipeline {
    FrameRing ring{kRingFrames};
    PlayClock clock;
    PlaybackVoice voice{ring, clock};
    DecodeAhead decodeAhead{ring};
};

// What the output pulls: the voice's frames, and the clock told what is heard.
class PlaybackEngine::Feed final : public OutputFeed {
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

PlaybackEngine::PlaybackEngine(Output output)
    : PlaybackEngine(output, Route{})
{
}

PlaybackEngine::PlaybackEngine(Output output, Route route)
    : m_output(output)
    , m_route(std::move(route))
{
}

PlaybackEngine::~PlaybackEngine()
{
    vbmp3_free();
}

std::int32_t PlaybackEngine::vbmp3_init()
{
    // Sound starts with the first play, so that a machine without sound works.
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_setVbmp3Option(EngineOptionRecord& options)
{
    std::lock_guard lock(m_mutex);
    return m_settings.apply(options) ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_setDecodeOption(DecodeOptionRecord& options)
{
    std::lock_guard lock(m_mutex);
    return m_settings.apply(options) ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getVolume(std::int32_t& left, std::int32_t& right)
{
    std::lock_guard lock(m_mutex);
    left = m_volumeLeft;
    right = m_volumeRight;
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_setVolume(std::int32_t left, std::int32_t right)
{
    if (left < 0 || left > 100 || right < 0 || right > 100)
        return 0;
    std::lock_guard lock(m_mutex);
    m_volumeLeft = left;
    m_volumeRight = right;
    if (m_pipeline)
        m_pipeline->voice.setVolume(left, right);
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_close()
{
    std::lock_guard lock(m_mutex);
    closeTrackLocked();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_open(const QString& path, TrackOpenRecord& info)
{
    std::memset(&info, 0, sizeof info);
    std::lock_guard lock(m_mutex);
    closeTrackLocked();
    m_openError.clear();
    return openTrackLocked(path, &info) ? 1 : 0;
}

bool PlaybackEngine::openTrackLocked(const QString& path, TrackOpenRecord* info)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path, m_settings.readBufferKb * 1024);
    if (!opened.ok()) {
        // mpg123's refusal says no more than "Open Error" does.
        if (isFfmpegContainer(path))
            m_openError = opened.errorString();
        return false;
    }
    std::unique_ptr<Decoder> decoder = std::move(opened).value();
    std::optional<Mp3Decoder::Info> stream;
    if (auto* mp3 = dynamic_cast<Mp3Decoder*>(decoder.get())) {
        stream = mp3->info();
        mp3->indexInBackground();
        if (info) {
            record_text::store(info->format, stream->formatName);
            record_text::store(info->mode, stream->modeName);
            info->channels = stream->channels;
            info->bitRateKbps = stream->bitRateKbps;
        }
    }
    if (info) {
        info->sampleRate = decoder->sampleRate();
        info->lengthSeconds = clampToInt32(decoder->lengthFrames() / decoder->sampleRate());
    }
    installSourceLocked(std::move(decoder));
    m_trackPath = path;
    m_trackInfo = stream;
    return true;
}

QString PlaybackEngine::openErrorString() const
{
    return m_openError;
}

std::int32_t PlaybackEngine::setPlaybackSpeed(std::int32_t percent)
{
    if (percent < 50 || percent > 100)
        return 0;
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    if (percent == m_speedPercent)
        return 1;
    m_speedPercent = percent;
    if (m_pipeline && m_sourceRate > 0)
        startGenerationLocked(positionLocked(time), m_state == EnginePlaying);
    return 1;
}

std::int32_t PlaybackEngine::openSource(std::unique_ptr<Decoder> source)
{
    std::lock_guard lock(m_mutex);
    closeTrackLocked();
    if (!source || source->sampleRate() <= 0)
        return 0;
    return installSourceLocked(std::move(source));
}

bool PlaybackEngine::startCue(std::unique_ptr<Decoder> sound)
{
    {
        std::lock_guard lock(m_mutex);
        const TimePoint time = now();
        settleLocked(time);
        std::optional<SetAside> track = m_setAside;
        if (!m_cueOpen && !m_trackPath.isEmpty())
            track = SetAside{m_trackPath, m_state == EngineStopped ? EngineStopped : EnginePaused, positionLocked(time)};
        closeTrackLocked();
        m_setAside = track;
        if (!sound || sound->sampleRate() <= 0)
            return false;
        m_cueOpen = true;
        installSourceLocked(std::move(sound));
    }
    return vbmp3_play() == 1;
}

std::optional<double> PlaybackEngine::cueHeardMs()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    if (!m_cueOpen || m_state != EnginePlaying)
        return std::nullopt;
    return double(positionLocked(time)) * 1000.0 / m_sourceRate;
}

void PlaybackEngine::endCue()
{
    std::lock_guard lock(m_mutex);
    if (!m_cueOpen && !m_setAside)
        return;
    const std::optional<SetAside> track = m_setAside;
    closeTrackLocked();
    if (!track || !openTrackLocked(track->path, nullptr))
        return;
    if (track->state == EnginePaused)
        pauseAtLocked(track->frame);
    else if (track->frame > 0)
        startGenerationLocked(track->frame, false);
}

std::int32_t PlaybackEngine::vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags, TrackDetailRecord& detail,
                                           TrackTextRecord& texts)
{
    std::memset(&detail, 0, sizeof detail);
    const bool tagsRead = readTrackTags(path, tags, texts);
    {
        std::lock_guard lock(m_mutex);
        if (m_trackInfo && path == m_trackPath) {
            fillDetail(*m_trackInfo, detail);
            return 1;
        }
    }
    if (isFfmpegContainer(path))
        return tagsRead ? 1 : 0;
    Mp3Decoder probe;
    if (probe.open(path, 64 * 1024)) {
        fillDetail(probe.info(), detail);
        return 1;
    }
    return tagsRead ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getState(std::int32_t& positionSeconds)
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    positionSeconds = m_sourceRate > 0 ? clampToInt32(positionLocked(time) / m_sourceRate) : 0;
    return m_state;
}

std::int32_t PlaybackEngine::vbmp3_play()
{
    std::lock_guard lock(m_mutex);
    settleLocked(now());
    if (!m_pipeline || m_sourceRate == 0)
        return 0;
    if (m_state == EnginePlaying)
        return 1;
    const int rate = m_settings.outputRateFor(m_sourceRate);
    if (m_output == Output::Device && !ensureOutputLocked(rate, m_settings.bufferFramesAt(rate)))
        return 0;
    m_pipeline->voice.setShape(m_settings.fadeFramesAt(rate), m_settings.forceMono);
    m_state = EnginePlaying;
    m_reported = m_position;
    if (rate != m_rate) {
        m_rate = rate;
        startGenerationLocked(m_position, true);
    } else {
        // The frames from the position are decoded already.
        m_pipeline->decodeAhead.play();
        m_pipeline->voice.setTarget(m_generation, true);
    }
    m_suspendPending = false;
    if (m_device)
        m_device->resume();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_pause()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    if (m_state != EnginePlaying)
        return 0;
    // Resume from what was heard, not from where decoding had got to.
    pauseAtLocked(positionLocked(time));
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_restart()
{
    {
        std::lock_guard lock(m_mutex);
        settleLocked(now());
        if (m_state != EnginePaused)
            return 0;
    }
    return vbmp3_play();
}

std::int32_t PlaybackEngine::vbmp3_stop()
{
    std::lock_guard lock(m_mutex);
    stopLocked();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_seek(std::int32_t seconds)
{
    std::lock_guard lock(m_mutex);
    settleLocked(now());
    if (!m_pipeline || m_sourceRate == 0 || seconds < 0)
        return 0;
    const std::int64_t frame = std::int64_t(seconds) * m_sourceRate;
    if (frame > m_lengthFrames)
        return 0;
    startGenerationLocked(frame, m_state == EnginePlaying);
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_getWinampPlayMs()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    return m_sourceRate > 0 ? clampToInt32(positionLocked(time) * 1000 / m_sourceRate) : 0;
}

std::int32_t PlaybackEngine::vbmp3_setLyricsFile(const QString& path)
{
    return m_lyrics.load(path) ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getLyrics(LyricsLinesRecord& lines)
{
    std::memset(&lines, 0, sizeof lines);
    m_lyrics.linesAt(vbmp3_getWinampPlayMs(), lines);
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_getVersion()
{
    return kVersion;
}

std::int32_t PlaybackEngine::vbmp3_stopCallback()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    settleLocked(time);
    // Nothing plays any more: keep what was heard, as a pause does.
    if (m_state == EnginePlaying)
        pauseAtLocked(positionLocked(time));
    m_device.reset();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_free()
{
    {
        std::lock_guard lock(m_mutex);
        m_device.reset();
        closeTrackLocked();
        m_feed.reset();
        m_pipeline.reset();
    }
    m_lyrics.clear();
    return 1;
}

int PlaybackEngine::render(float* stereo, int frames)
{
    return renderManually(stereo, frames, std::nullopt);
}

int PlaybackEngine::renderAt(float* stereo, int frames, TimePoint callbackTime, double framesAhead)
{
    return renderManually(stereo, frames, std::pair{callbackTime, framesAhead});
}

int PlaybackEngine::renderManually(float* stereo, int frames, const std::optional<std::pair<TimePoint, double>>& heard)
{
    if (frames <= 0)
        return 0;
    waitForDecodedFrames(frames);
    std::lock_guard lock(m_mutex);
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

std::int64_t PlaybackEngine::playFrame()
{
    return playFrameAt(now());
}

std::int64_t PlaybackEngine::playFrameAt(TimePoint time)
{
    std::lock_guard lock(m_mutex);
    settleLocked(time);
    return positionLocked(time);
}

PlaybackVoice::Underruns PlaybackEngine::underruns() const
{
    // The pipeline lives from the first open to free; callers ask between the two.
    return m_pipeline ? m_pipeline->voice.underruns() : PlaybackVoice::Underruns{};
}

bool PlaybackEngine::playsThroughSoundServer() const
{
    return m_device && m_deviceIsServer;
}

std::int64_t PlaybackEngine::serverUnderruns() const
{
    return m_device ? m_device->serverUnderruns() : 0;
}

std::optional<std::chrono::nanoseconds> PlaybackEngine::lastStartToFirstFrame() const
{
    return m_pipeline ? m_pipeline->decodeAhead.lastStartToFirstFrame() : std::nullopt;
}

void PlaybackEngine::ensurePipelineLocked()
{
    if (m_pipeline)
        return;
    m_pipeline = std::make_unique<Pipeline>();
    m_feed = std::make_unique<Feed>(*m_pipeline);
    m_pipeline->voice.setVolume(m_volumeLeft, m_volumeRight);
}

std::int32_t PlaybackEngine::installSourceLocked(std::unique_ptr<Decoder> source)
{
    ensurePipelineLocked();
    m_sourceRate = source->sampleRate();
    m_lengthFrames = source->lengthFrames();
    m_pipeline->decodeAhead.setSource(std::move(source));
    m_state = EngineStopped;
    m_rate = m_settings.outputRateFor(m_sourceRate);
    startGenerationLocked(0, false);
    return 1;
}

void PlaybackEngine::closeTrackLocked()
{
    if (m_pipeline) {
        m_state = EngineStopped;
        ++m_generation;
        m_pipeline->voice.setTarget(m_generation, false);
        m_pipeline->decodeAhead.setSource(nullptr);
        m_suspendPending = m_device != nullptr;
    }
    m_cueOpen = false;
    m_setAside.reset();
    m_trackPath.clear();
    m_trackInfo.reset();
    m_sourceRate = 0;
    m_lengthFrames = 0;
    m_position = 0;
    m_reported = 0;
}

bool PlaybackEngine::ensureOutputLocked(int rate, int bufferFrames)
{
    if (m_device && m_device->sampleRate() == rate && m_device->bufferFrames() == bufferFrames)
        return true;
    m_device.reset();
    m_pipeline->voice.restart();
    m_pipeline->clock.setExact(false);
    m_pipeline->clock.setNominalRate(rate);
    const bool serverFirst = m_route.kind == Route::SoundServerOnly
        || (m_route.kind == Route::Automatic && soundServerAllowed());
    if (serverFirst)
        m_device = PulseOutput::open(m_route.server, rate, bufferFrames, *m_feed);
    m_deviceIsServer = m_device != nullptr;
    if (!m_device && m_route.kind == Route::SoundServerOnly) {
        std::fprintf(stderr, "Lyricue: no sound server answers at %s\n",
                     m_route.server.isEmpty() ? "the user's address" : m_route.server.constData());
        return false;
    }
    if (!m_device)
        m_device = SdlOutput::open(rate, bufferFrames, *m_feed);
    return m_device != nullptr;
}

void PlaybackEngine::startGenerationLocked(std::int64_t frame, bool running)
{
    ++m_generation;
    m_position = frame;
    m_reported = frame;
    // The calibration click is always heard at its own speed: its taps measure wall time.
    m_pipeline->decodeAhead.start(m_generation, frame, m_rate, m_cueOpen ? 1.0 : m_speedPercent / 100.0);
    if (running)
        m_pipeline->decodeAhead.play();
    m_pipeline->voice.setTarget(m_generation, running);
    if (m_output == Output::Manual && m_pipeline->decodeAhead.waitForLanding(m_generation, kManualWait)) {
        // Where a damaged stream let the decoder land.
        m_position = std::clamp<std::int64_t>(*m_pipeline->decodeAhead.landed(m_generation), 0, m_lengthFrames);
        m_reported = m_position;
    }
}

std::int64_t PlaybackEngine::positionLocked(TimePoint time)
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

void PlaybackEngine::settleLocked(TimePoint time)
{
    if (!m_pipeline)
        return;
    if (m_device) {
        if (const std::optional<TimePoint> lost = m_device->lostAt()) {
            if (m_state == EnginePlaying) {
                const std::int64_t heard = positionLocked(std::min(*lost, time));
                pauseAtLocked(heard);
                std::fprintf(stderr, "Lyricue: the sound output went away; paused at %s\n",
                             clockText(heard, m_sourceRate).constData());
            } else {
                std::fprintf(stderr, "Lyricue: the sound output went away\n");
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
            stopLocked();
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

void PlaybackEngine::stopLocked()
{
    if (!m_pipeline || m_sourceRate == 0)
        return;
    m_state = EngineStopped;
    startGenerationLocked(0, false);
    m_suspendPending = m_device != nullptr;
}

void PlaybackEngine::pauseAtLocked(std::int64_t frame)
{
    m_state = EnginePaused;
    startGenerationLocked(frame, false);
    m_suspendPending = m_device != nullptr;
}

void PlaybackEngine::waitForDecodedFrames(int frames)
{
    if (m_output != Output::Manual)
        return;
    std::uint32_t generation = 0;
    {
        std::lock_guard lock(m_mutex);
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

}  // namespace lyricue
