#include "mp3_engine.h"

#include "record_text.h"
#include "tag_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Track frames decoded at a time when the output runs at another rate.
constexpr int kConvertChunk = 2048;
// Silence put after the track's last frame: SDL's resampler keeps back 512 frames for
// its filter, and a flush alone does not bring them out.
constexpr int kConvertTail = 2048;

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

Mp3Engine::Mp3Engine(Output output)
    : m_output(output)
    , m_device([this](float* stereo, int frames) { render(stereo, frames); })
{
}

Mp3Engine::~Mp3Engine()
{
    vbmp3_free();
}

std::int32_t Mp3Engine::vbmp3_init()
{
    // SDL's audio starts with the first play, so that a machine without sound works.
    return 1;
}

std::int32_t Mp3Engine::vbmp3_setVbmp3Option(EngineOptionRecord& options)
{
    std::lock_guard lock(m_mutex);
    return m_settings.apply(options) ? 1 : 0;
}

std::int32_t Mp3Engine::vbmp3_setDecodeOption(DecodeOptionRecord& options)
{
    std::lock_guard lock(m_mutex);
    return m_settings.apply(options) ? 1 : 0;
}

std::int32_t Mp3Engine::vbmp3_getVolume(std::int32_t& left, std::int32_t& right)
{
    std::lock_guard lock(m_mutex);
    left = m_volumeLeft;
    right = m_volumeRight;
    return 1;
}

std::int32_t Mp3Engine::vbmp3_setVolume(std::int32_t left, std::int32_t right)
{
    if (left < 0 || left > 100 || right < 0 || right > 100)
        return 0;
    std::lock_guard lock(m_mutex);
    m_volumeLeft = left;
    m_volumeRight = right;
    return 1;
}

std::int32_t Mp3Engine::vbmp3_close()
{
    m_device.close();
    std::lock_guard lock(m_mutex);
    stopLocked();
    m_decoder.close();
    m_converter.reset();
    m_trackPath.clear();
    return 1;
}

std::int32_t Mp3Engine::vbmp3_open(const QString& path, TrackOpenRecord& info)
{
    std::memset(&info, 0, sizeof info);
    vbmp3_close();
    std::lock_guard lock(m_mutex);
    if (!m_decoder.open(path, m_settings.readBufferKb * 1024))
        return 0;
    m_trackPath = path;
    const Mp3Decoder::Info& stream = m_decoder.info();
    m_clock.restart(0, stream.sampleRate);
    record_text::store(info.format, stream.formatName);
    record_text::store(info.mode, stream.modeName);
    info.sampleRate = stream.sampleRate;
    info.channels = stream.channels;
    info.bitRateKbps = stream.bitRateKbps;
    info.lengthSeconds = clampToInt32(stream.lengthFrames / stream.sampleRate);
    return 1;
}

std::int32_t Mp3Engine::vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags, TrackDetailRecord& detail,
                                           TrackTextRecord& texts)
{
    std::memset(&detail, 0, sizeof detail);
    const bool tagsRead = readTrackTags(path, tags, texts);
    {
        std::lock_guard lock(m_mutex);
        if (m_decoder.isOpen() && path == m_trackPath) {
            fillDetail(m_decoder.info(), detail);
            return 1;
        }
    }
    Mp3Decoder probe;
    if (probe.open(path, 64 * 1024)) {
        fillDetail(probe.info(), detail);
        return 1;
    }
    return tagsRead ? 1 : 0;
}

std::int32_t Mp3Engine::vbmp3_getState(std::int32_t& positionSeconds)
{
    int rate = 0;
    const std::int64_t frame = currentFrame(rate);
    positionSeconds = rate > 0 ? clampToInt32(frame / rate) : 0;
    std::lock_guard lock(m_mutex);
    return m_state;
}

std::int32_t Mp3Engine::vbmp3_play()
{
    if (m_output == Output::Device) {
        int rate = 0;
        int frames = 0;
        {
            std::lock_guard lock(m_mutex);
            if (!m_decoder.isOpen())
                return 0;
            if (m_state == EnginePlaying)
                return 1;
            rate = m_settings.outputRateFor(m_decoder.info().sampleRate);
            frames = m_settings.bufferFramesAt(rate);
        }
        if (!m_device.isOpen() || m_device.sampleRate() != rate || m_device.bufferFrames() != frames) {
            if (!m_device.open(rate, frames))
                return 0;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        if (!m_decoder.isOpen())
            return 0;
        if (m_state == EnginePlaying)
            return 1;
        startLocked();
    }
    m_device.setPaused(false);
    return 1;
}

std::int32_t Mp3Engine::vbmp3_pause()
{
    {
        std::lock_guard lock(m_mutex);
        const TimePoint time = now();
        settleEndLocked(time);
        if (m_state != EnginePlaying)
            return 0;
        // Resume from what was heard, not from where decoding had got to.
        m_decoder.seek(m_clock.position(time));
        m_state = EnginePaused;
    }
    m_device.setPaused(true);
    return 1;
}

std::int32_t Mp3Engine::vbmp3_restart()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != EnginePaused)
            return 0;
    }
    return vbmp3_play();
}

std::int32_t Mp3Engine::vbmp3_stop()
{
    {
        std::lock_guard lock(m_mutex);
        stopLocked();
    }
    m_device.setPaused(true);
    return 1;
}

std::int32_t Mp3Engine::vbmp3_seek(std::int32_t seconds)
{
    std::lock_guard lock(m_mutex);
    if (!m_decoder.isOpen() || seconds < 0)
        return 0;
    const int rate = m_decoder.info().sampleRate;
    const std::int64_t frame = std::int64_t(seconds) * rate;
    if (frame > m_decoder.info().lengthFrames || !m_decoder.seek(frame))
        return 0;
    // Where the decoder landed, which in a damaged stream may be near the frame asked for.
    const std::int64_t landed = m_decoder.position();
    if (m_state == EnginePlaying) {
        m_clock.restart(landed, rate);
        restartConversionLocked(landed);
        m_endOfStream = false;
        m_fadeDone = 0;
    }
    return 1;
}

std::int32_t Mp3Engine::vbmp3_getWinampPlayMs()
{
    int rate = 0;
    const std::int64_t frame = currentFrame(rate);
    return rate > 0 ? clampToInt32(frame * 1000 / rate) : 0;
}

std::int32_t Mp3Engine::vbmp3_setLyricsFile(const QString& path)
{
    return m_lyrics.load(path) ? 1 : 0;
}

std::int32_t Mp3Engine::vbmp3_getLyrics(LyricsLinesRecord& lines)
{
    std::memset(&lines, 0, sizeof lines);
    m_lyrics.linesAt(vbmp3_getWinampPlayMs(), lines);
    return 1;
}

std::int32_t Mp3Engine::vbmp3_getVersion()
{
    return kVersion;
}

std::int32_t Mp3Engine::vbmp3_stopCallback()
{
    m_device.close();
    std::lock_guard lock(m_mutex);
    if (m_state == EnginePlaying) {
        // Nothing plays any more: keep what was heard, as a pause does.
        m_decoder.seek(m_clock.position(now()));
        m_state = EnginePaused;
    }
    return 1;
}

std::int32_t Mp3Engine::vbmp3_free()
{
    m_device.release();
    {
        std::lock_guard lock(m_mutex);
        stopLocked();
        m_decoder.close();
        m_converter.reset();
        m_trackPath.clear();
    }
    m_lyrics.clear();
    return 1;
}

int Mp3Engine::render(float* stereo, int frames)
{
    const TimePoint time = now();
    std::fill_n(stereo, std::size_t(frames) * 2, 0.0f);
    std::lock_guard lock(m_mutex);
    if (m_state != EnginePlaying || frames <= 0)
        return 0;
    std::int64_t handedEnd = 0;
    std::int64_t buffered = 0;
    const int got = pullLocked(stereo, frames, handedEnd, buffered);
    shapeLocked(stereo, got);
    m_clock.handOver(handedEnd, m_output == Output::Device ? buffered : 0, time);
    return got;
}

std::int64_t Mp3Engine::playFrame()
{
    int rate = 0;
    return currentFrame(rate);
}

void Mp3Engine::startLocked()
{
    const int trackRate = m_decoder.info().sampleRate;
    const std::int64_t from = m_decoder.position();
    m_playing = m_settings;
    const int outputRate = m_playing.outputRateFor(trackRate);
    if (outputRate == trackRate)
        m_converter.reset();
    else if (!m_converter || m_converter->toRate() != outputRate || m_converter->fromRate() != trackRate)
        m_converter = std::make_unique<RateConverter>(trackRate, outputRate);
    restartConversionLocked(from);
    m_clock.restart(from, trackRate);
    m_endOfStream = false;
    m_fadeDone = 0;
    m_fadeFrames = m_playing.fadeFramesAt(outputRate);
    m_state = EnginePlaying;
}

void Mp3Engine::restartConversionLocked(std::int64_t from)
{
    if (!m_converter)
        return;
    m_converter->clear();
    m_convertFrom = from;
    m_outputGot = 0;
    const std::int64_t left = m_decoder.info().lengthFrames - from;
    m_outputTotal = (left * m_converter->toRate() + m_converter->fromRate() - 1) / m_converter->fromRate();
    m_inputDone = false;
}

void Mp3Engine::stopLocked()
{
    m_state = EngineStopped;
    m_endOfStream = false;
    if (m_converter)
        m_converter->clear();
    if (m_decoder.isOpen()) {
        m_decoder.seek(0);
        m_clock.restart(0, m_decoder.info().sampleRate);
    }
}

bool Mp3Engine::settleEndLocked(TimePoint time)
{
    if (m_state != EnginePlaying || !m_endOfStream)
        return false;
    if (m_clock.position(time) < m_clock.handedEnd())
        return false;
    stopLocked();
    return true;
}

std::int64_t Mp3Engine::frameLocked(TimePoint time)
{
    return m_state == EnginePlaying ? m_clock.position(time) : m_decoder.position();
}

int Mp3Engine::trackRateLocked() const
{
    return m_decoder.isOpen() ? m_decoder.info().sampleRate : 0;
}

std::int64_t Mp3Engine::currentFrame(int& sampleRate)
{
    bool ended = false;
    std::int64_t frame = 0;
    {
        std::lock_guard lock(m_mutex);
        const TimePoint time = now();
        ended = settleEndLocked(time);
        frame = frameLocked(time);
        sampleRate = trackRateLocked();
    }
    if (ended)
        m_device.setPaused(true);
    return frame;
}

int Mp3Engine::pullLocked(float* stereo, int frames, std::int64_t& handedEnd, std::int64_t& buffered)
{
    if (!m_converter) {
        const int got = m_decoder.read(stereo, frames);
        m_endOfStream = got < frames;
        handedEnd = m_decoder.position();
        buffered = got;
        return got;
    }
    m_scratch.resize(std::size_t(std::max(kConvertChunk, kConvertTail)) * 2);
    while (!m_inputDone && m_converter->available() < frames) {
        const int decoded = m_decoder.read(m_scratch.data(), kConvertChunk);
        m_converter->put(m_scratch.data(), decoded);
        if (decoded < kConvertChunk) {
            std::fill(m_scratch.begin(), m_scratch.end(), 0.0f);
            m_converter->put(m_scratch.data(), kConvertTail);
            m_converter->flush();
            m_inputDone = true;
        }
    }
    const int wanted = static_cast<int>(std::min<std::int64_t>(frames, m_outputTotal - m_outputGot));
    const int got = m_converter->get(stereo, wanted);
    m_outputGot += got;
    m_endOfStream = m_outputGot >= m_outputTotal || (m_inputDone && m_converter->available() == 0);
    const double trackPerOutput = double(m_converter->fromRate()) / m_converter->toRate();
    handedEnd = std::min<std::int64_t>(m_convertFrom + std::llround(m_outputGot * trackPerOutput),
                                      m_decoder.info().lengthFrames);
    buffered = std::llround(got * trackPerOutput);
    return got;
}

void Mp3Engine::shapeLocked(float* stereo, int frames)
{
    const float left = m_volumeLeft / 100.0f;
    const float right = m_volumeRight / 100.0f;
    for (int i = 0; i < frames; ++i) {
        float l = stereo[2 * i];
        float r = stereo[2 * i + 1];
        if (m_playing.forceMono)
            l = r = (l + r) / 2;
        float fade = 1.0f;
        if (m_fadeDone < m_fadeFrames)
            fade = float(m_fadeDone++) / float(m_fadeFrames);
        stereo[2 * i] = l * left * fade;
        stereo[2 * i + 1] = r * right * fade;
    }
}
