#pragma once

#include "audio_engine.h"
#include "lyrics_timer.h"
#include "mp3_decoder.h"
#include "play_clock.h"
#include "playback_settings.h"
#include "rate_converter.h"
#include "sdl_output.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The real audio engine: MP3 and RMP tracks decoded with mpg123 and played through SDL2.
//
// Pull-based: render() makes the next output frames. The sound device's callback calls
// it (Output::Device); with Output::Manual no device is opened and the owner calls it.
// render() writes interleaved stereo 32-bit float frames at the output rate, which is
// the track's own rate unless DecodeOptionRecord::outputRate asks for another (the
// engine then converts). Positions count frames of the decoded track at its own rate,
// with the encoder's delay and padding trimmed, whatever the output rate.
//
// Open refuses anything but a complete MP3 stream (a missing or empty file, a folder,
// bytes without frames, a file cut short) with 0 and a zero-filled record. The length
// it gives is in whole seconds, rounded down, from the Xing/Info header's frame count
// or else a full scan. Volume scales each channel's samples by volume / 100.
//
// Transport: play starts at the current position (0 after open and stop, or where a
// seek while stopped or paused put it); it also resumes a paused track, and returns 1
// while playing already. Pause keeps the position being heard. Stop, and a track that
// plays to its end, set the state to stopped and the position to 0. Seek takes whole
// seconds from 0 to the track length and works in every state; outside that range it
// returns 0 and changes nothing.
//
// The position being heard is the frames handed to the output minus the ones still in
// the device's buffer (at each callback the device is taken to start on the block it is
// given), moved on with the steady clock between callbacks, and never moved back.
//
// vbmp3_init starts nothing: SDL's audio starts with the first play, so that a machine
// without sound still opens tracks (play then returns 0 and says why on standard
// error). vbmp3_stopCallback closes the device and pauses a playing track; vbmp3_free
// also stops SDL's audio and forgets track and lyrics. Calls after it act as on a new
// engine.
//
// One thread (the user interface's) calls the engine while the device's thread renders:
// what render() touches is behind one mutex, and SDL device calls, which wait for a
// running callback, are never made while holding it.
class Mp3Engine final : public AudioEngine {
public:
    enum class Output { Device, Manual };
    static constexpr std::int32_t kVersion = 100;  // 1.00

    explicit Mp3Engine(Output output = Output::Device);
    Mp3Engine(const Mp3Engine&) = delete;
    Mp3Engine& operator=(const Mp3Engine&) = delete;
    ~Mp3Engine() override;

    std::int32_t vbmp3_init() override;
    std::int32_t vbmp3_setVbmp3Option(EngineOptionRecord& options) override;
    std::int32_t vbmp3_setDecodeOption(DecodeOptionRecord& options) override;
    std::int32_t vbmp3_getVolume(std::int32_t& left, std::int32_t& right) override;
    std::int32_t vbmp3_setVolume(std::int32_t left, std::int32_t right) override;
    std::int32_t vbmp3_close() override;
    std::int32_t vbmp3_open(const QString& path, TrackOpenRecord& info) override;
    std::int32_t vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags, TrackDetailRecord& detail,
                                    TrackTextRecord& texts) override;
    std::int32_t vbmp3_getState(std::int32_t& positionSeconds) override;
    std::int32_t vbmp3_play() override;
    std::int32_t vbmp3_pause() override;
    std::int32_t vbmp3_restart() override;
    std::int32_t vbmp3_stop() override;
    std::int32_t vbmp3_seek(std::int32_t seconds) override;
    std::int32_t vbmp3_getWinampPlayMs() override;
    std::int32_t vbmp3_setLyricsFile(const QString& path) override;
    std::int32_t vbmp3_getLyrics(LyricsLinesRecord& lines) override;
    std::int32_t vbmp3_getVersion() override;
    std::int32_t vbmp3_stopCallback() override;
    std::int32_t vbmp3_free() override;

    // Fills `frames` output frames, silence where the track gives none (not playing, or
    // past its end); returns how many came from the track.
    int render(float* stereo, int frames);
    // The frame being heard now, in frames of the decoded track (0 with no track).
    std::int64_t playFrame();

private:
    using TimePoint = PlayClock::TimePoint;

    // All of these expect m_mutex held.
    void startLocked();
    void restartConversionLocked(std::int64_t from);
    void stopLocked();
    bool settleEndLocked(TimePoint now);
    std::int64_t frameLocked(TimePoint now);
    int trackRateLocked() const;
    int pullLocked(float* stereo, int frames, std::int64_t& handedEnd, std::int64_t& buffered);
    void shapeLocked(float* stereo, int frames);

    // The frame heard now and the track's rate; pauses a device whose track has ended.
    std::int64_t currentFrame(int& sampleRate);

    const Output m_output;
    SdlOutput m_device;  // touched by the calling thread only, never under m_mutex
    LyricsTimer m_lyrics;

    std::mutex m_mutex;  // guards everything below; render() takes it on the device's thread
    Mp3Decoder m_decoder;
    QString m_trackPath;
    PlaybackSettings m_settings;
    PlaybackSettings m_playing;  // the settings playback started with
    PlayClock m_clock;
    std::unique_ptr<RateConverter> m_converter;
    EngineState m_state = EngineStopped;
    bool m_endOfStream = false;
    // Conversion to another output rate: output frame n is track frame m_convertFrom
    // + n * track rate / output rate.
    std::int64_t m_convertFrom = 0;
    std::int64_t m_outputGot = 0;
    std::int64_t m_outputTotal = 0;  // output frames up to the track's end
    bool m_inputDone = false;
    std::int64_t m_fadeDone = 0;
    std::int64_t m_fadeFrames = 0;
    std::int32_t m_volumeLeft = 100;
    std::int32_t m_volumeRight = 100;
    std::vector<float> m_scratch;
};
