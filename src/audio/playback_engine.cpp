#include "audio/playback_engine.h"

#include "audio/decoder_factory.h"
#include "audio/tag_reader.h"
#include "base/log.h"
#include "text/record_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>

namespace lyricue {

namespace {

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

}  // namespace

PlaybackEngine::PlaybackEngine(Output output)
    : PlaybackEngine(output, Route{})
{
}

PlaybackEngine::PlaybackEngine(Output output, Route route)
    : m_transport(output, std::move(route))
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
    return m_transport.settings().apply(options).ok() ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_setDecodeOption(DecodeOptionRecord& options)
{
    std::lock_guard lock(m_mutex);
    return m_transport.settings().apply(options).ok() ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getVolume(std::int32_t& left, std::int32_t& right)
{
    std::lock_guard lock(m_mutex);
    std::tie(left, right) = m_transport.volume();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_setVolume(std::int32_t left, std::int32_t right)
{
    if (left < 0 || left > 100 || right < 0 || right > 100)
        return 0;
    std::lock_guard lock(m_mutex);
    m_transport.setVolume(left, right);
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
    const Result opened = openTrackLocked(path, &info);
    // mpg123's refusal says no more than "Open Error" does.
    if (!opened.ok() && isFfmpegContainer(path))
        m_openError = opened.errorString();
    return opened.ok() ? 1 : 0;
}

Result PlaybackEngine::openTrackLocked(const QString& path, TrackOpenRecord* info)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path, m_transport.settings().readBufferKb * 1024);
    if (!opened.ok())
        return Result::failure(opened.errorString());
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
    m_transport.load(std::move(decoder), Transport::Pace::Chosen);
    m_trackPath = path;
    m_trackInfo = stream;
    return {};
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
    m_transport.settle(time);
    m_transport.setSpeed(percent, time);
    return 1;
}

std::int32_t PlaybackEngine::openSource(std::unique_ptr<Decoder> source)
{
    std::lock_guard lock(m_mutex);
    closeTrackLocked();
    if (!source || source->sampleRate() <= 0)
        return 0;
    m_transport.load(std::move(source), Transport::Pace::Chosen);
    return 1;
}

Result PlaybackEngine::startCue(std::unique_ptr<Decoder> sound)
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    std::optional<CueSession::SetAside> track = m_cue.trackToSetAside(m_transport, m_trackPath, time);
    closeTrackLocked();
    if (Result begun = m_cue.begin(std::move(track), std::move(sound), m_transport); !begun.ok())
        return begun;
    return playLocked();
}

std::optional<double> PlaybackEngine::cueHeardMs()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    return m_cue.heardMs(m_transport, time);
}

void PlaybackEngine::endCue()
{
    std::lock_guard lock(m_mutex);
    if (!m_cue.isActive())
        return;
    const std::optional<CueSession::SetAside> track = m_cue.takeSetAside();
    closeTrackLocked();
    if (!track)
        return;
    if (const Result reopened = openTrackLocked(track->path, nullptr); !reopened.ok()) {
        logWarning(reopened.errorString());
        return;
    }
    CueSession::bringBack(m_transport, *track);
}

std::int32_t PlaybackEngine::vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags, TrackDetailRecord& detail,
                                                TrackTextRecord& texts)
{
    std::memset(&detail, 0, sizeof detail);
    const bool tagsRead = readTrackTags(path, tags, texts).ok();
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
    if (probe.open(path, 64 * 1024).ok()) {
        fillDetail(probe.info(), detail);
        return 1;
    }
    return tagsRead ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getState(std::int32_t& positionSeconds)
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    const int rate = m_transport.sourceRate();
    positionSeconds = rate > 0 ? clampToInt32(m_transport.position(time) / rate) : 0;
    return m_transport.state();
}

std::int32_t PlaybackEngine::vbmp3_play()
{
    std::lock_guard lock(m_mutex);
    return playLocked().ok() ? 1 : 0;
}

Result PlaybackEngine::playLocked()
{
    m_transport.settle(now());
    Result played = m_transport.play();
    if (!played.ok() && m_transport.isLoaded())
        logWarning(QStringLiteral("no sound output: %1").arg(played.errorString()));
    return played;
}

std::int32_t PlaybackEngine::vbmp3_pause()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    if (m_transport.state() != EnginePlaying)
        return 0;
    // Resume from what was heard, not from where decoding had got to.
    m_transport.pauseAt(m_transport.position(time));
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_restart()
{
    {
        std::lock_guard lock(m_mutex);
        m_transport.settle(now());
        if (m_transport.state() != EnginePaused)
            return 0;
    }
    return vbmp3_play();
}

std::int32_t PlaybackEngine::vbmp3_stop()
{
    std::lock_guard lock(m_mutex);
    m_transport.stop();
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_seek(std::int32_t seconds)
{
    std::lock_guard lock(m_mutex);
    m_transport.settle(now());
    if (!m_transport.isLoaded() || seconds < 0)
        return 0;
    const std::int64_t frame = std::int64_t(seconds) * m_transport.sourceRate();
    if (frame > m_transport.lengthFrames())
        return 0;
    m_transport.startAt(frame, m_transport.state() == EnginePlaying);
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_getWinampPlayMs()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    const int rate = m_transport.sourceRate();
    return rate > 0 ? clampToInt32(m_transport.position(time) * 1000 / rate) : 0;
}

std::int32_t PlaybackEngine::vbmp3_setLyricsFile(const QString& path)
{
    return m_lyrics.load(path).ok() ? 1 : 0;
}

std::int32_t PlaybackEngine::vbmp3_getLyrics(LyricsLinesRecord& lines)
{
    std::memset(&lines, 0, sizeof lines);
    m_lyricsMs = vbmp3_getWinampPlayMs();
    m_lyrics.linesAt(m_lyricsMs, lines);
    return 1;
}

std::optional<double> PlaybackEngine::lyricsSungExtent()
{
    // The same position as the lines, so that the extent belongs to the line shown.
    return m_lyrics.sungExtentAt(m_lyricsMs);
}

std::int32_t PlaybackEngine::vbmp3_getVersion()
{
    return kVersion;
}

std::int32_t PlaybackEngine::vbmp3_stopCallback()
{
    std::lock_guard lock(m_mutex);
    const TimePoint time = now();
    m_transport.settle(time);
    // Nothing plays any more: keep what was heard, as a pause does.
    m_transport.releaseOutput(time);
    return 1;
}

std::int32_t PlaybackEngine::vbmp3_free()
{
    {
        std::lock_guard lock(m_mutex);
        m_transport.shutDown();
        closeTrackLocked();
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

int PlaybackEngine::renderManually(float* stereo, int frames, const Transport::Heard& heard)
{
    if (frames <= 0)
        return 0;
    m_transport.waitForDecodedFrames(m_mutex, frames);
    std::lock_guard lock(m_mutex);
    return m_transport.render(stereo, frames, heard);
}

std::int64_t PlaybackEngine::playFrame()
{
    return playFrameAt(now());
}

std::int64_t PlaybackEngine::playFrameAt(TimePoint time)
{
    std::lock_guard lock(m_mutex);
    m_transport.settle(time);
    return m_transport.position(time);
}

PlaybackVoice::Underruns PlaybackEngine::underruns() const
{
    return m_transport.underruns();
}

bool PlaybackEngine::playsThroughSoundServer() const
{
    return m_transport.playsThroughSoundServer();
}

std::int64_t PlaybackEngine::serverUnderruns() const
{
    return m_transport.serverUnderruns();
}

std::optional<std::chrono::nanoseconds> PlaybackEngine::lastStartToFirstFrame() const
{
    return m_transport.lastStartToFirstFrame();
}

void PlaybackEngine::closeTrackLocked()
{
    m_transport.unload();
    m_cue.reset();
    m_trackPath.clear();
    m_trackInfo.reset();
}

}  // namespace lyricue
