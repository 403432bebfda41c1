#pragma once

#include "audio/audio_engine.h"
#include "audio/cue_player.h"
#include "audio/cue_session.h"
#include "audio/decoder.h"
#include "audio/lyrics_timer.h"
#include "audio/mp3_decoder.h"
#include "audio/playback_voice.h"
#include "audio/transport.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace lyricue {

// The real audio engine: MP3 and RMP tracks decoded with mpg123, FLAC, Ogg Vorbis and Opus,
// AAC in MP4 and WAV with the FFmpeg module (openDecoderFor), or any other Decoder,
// played through a sound server (PulseAudio, or PipeWire's server of the same protocol)
// or SDL2.
//
// Three threads: the caller's (the user interface's), a decoding thread that keeps a
// ring of ready frames half a second ahead, and the output's, which only takes frames
// from the ring (PlaybackVoice). The caller never waits for decoding and the output's
// thread never waits for anything. With Output::Manual or ManualRealTime no device is
// opened and the owner calls render() itself: Manual waits for the decoding thread, so
// that what it renders is exact; ManualRealTime never waits, as a device does, and puts
// silence where frames are missing (counted in underruns()).
//
// Frames come out as interleaved stereo 32-bit float at the output rate, which is the
// track's own unless DecodeOptionRecord::outputRate asks for another. Positions count
// frames of the decoded track at its own rate, whatever the output rate.
//
// Open accepts any MP3 stream of which at least one frame decodes: a file cut short, or
// with junk or a tag between frames, plays what decodes, and its length is that. A file
// with no decodable frame is refused with 0 and a zero-filled record. The length is in
// whole seconds, rounded down. Volume scales each channel by volume / 100; a change
// ramps over one block.
//
// Transport: play starts at the current position (0 after open and stop, or where a seek
// put it) and resumes a paused track; it returns 1 while playing already. Pause keeps the
// position being heard. Stop, and a track that plays to its end, set the state to stopped
// and the position to 0. Seek takes whole seconds from 0 to the track length in every
// state; outside that range it returns 0 and changes nothing. Play, pause, stop and seek
// fade out what was playing and fade in what follows (the engine option's fade time);
// the position jumps at once, to where the fade-out starts.
//
// The position is the frame being heard, from the play clock (PlayClock): the sound
// server's own report of what it plays, or the blocks an SDL device takes, through a
// delay-locked loop. When the device or the server goes away while playing, the engine
// pauses at the position heard and notes it in the log; the next play opens the
// output again.
//
// A cue (CuePlayer) plays in the track's place; the track comes back when it ends, opened
// again from its file (a source of openSource() cannot come back).
//
// The engine functions are glue: the transport (Transport) plays and tells the position,
// the cue session (CueSession) sets the track aside, the decoding thread reads at the
// chosen speed (SpeedChange); the engine keeps the open track's file and its details.
class PlaybackEngine final : public AudioEngine, public CuePlayer {
public:
    using Output = Transport::Output;
    using Route = Transport::Route;
    using TimePoint = Transport::TimePoint;
    static constexpr std::int32_t kVersion = 100;  // 1.00

    explicit PlaybackEngine(Output output = Output::Device);
    PlaybackEngine(Output output, Route route);
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;
    ~PlaybackEngine() override;

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
    std::optional<double> lyricsSungExtent() override;
    std::int32_t vbmp3_getVersion() override;
    std::int32_t vbmp3_stopCallback() override;
    std::int32_t vbmp3_free() override;
    QString openErrorString() const override;
    // Takes effect at once, from the frame being heard, as a seek there would.
    std::int32_t setPlaybackSpeed(std::int32_t percent) override;

    // Opens a source of the program's own (a generated sound) as a track; 0 for nullptr.
    std::int32_t openSource(std::unique_ptr<Decoder> source);

    Result startCue(std::unique_ptr<Decoder> sound) override;
    std::optional<double> cueHeardMs() override;
    void endCue() override;

    // Manual outputs: fills `frames` output frames, silence where the track gives none;
    // returns how many came from the track. Every frame rendered counts as heard at once.
    int render(float* stereo, int frames);
    // The same as a sound device's callback at `callbackTime` would, whose first frame is
    // heard `framesAhead` output frames after the ones handed before it.
    int renderAt(float* stereo, int frames, TimePoint callbackTime, double framesAhead);

    // The frame being heard, in frames of the decoded track (0 with no track).
    std::int64_t playFrame();
    std::int64_t playFrameAt(TimePoint time);
    PlaybackVoice::Underruns underruns() const;
    // Whether the open output is a sound server's stream (else SDL's, or none).
    bool playsThroughSoundServer() const;
    // Times the sound server ran out of frames since the output opened.
    std::int64_t serverUnderruns() const;
    // From the last play, seek or stop to its first frame ready for the output.
    std::optional<std::chrono::nanoseconds> lastStartToFirstFrame() const;

private:
    // These three expect m_mutex held.
    void closeTrackLocked();
    Result playLocked();
    Result openTrackLocked(const QString& path, TrackOpenRecord* info);
    int renderManually(float* stereo, int frames, const Transport::Heard& heard);

    LyricsTimer m_lyrics;
    std::int64_t m_lyricsMs = 0;  // the position of the last lyrics record

    std::mutex m_mutex;  // the caller's state; never taken by the other threads
    Transport m_transport;
    CueSession m_cue;
    QString m_trackPath;
    std::optional<Mp3Decoder::Info> m_trackInfo;
    QString m_openError;
};

}  // namespace lyricue
