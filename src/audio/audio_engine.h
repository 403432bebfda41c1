#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lyricue {

// The byte records exchanged with the audio engine. Integers are 32-bit, text
// fields are fixed CP932 byte arrays ended by their first NUL.

struct TrackOpenRecord {
    char format[128];       // decoder's name for the stream ("MPEG 1 Layer III")
    char mode[128];         // channel mode ("Mono", "Stereo", ...)
    std::int32_t sampleRate;
    std::int32_t channels;
    std::int32_t bitRateKbps;  // average
    std::int32_t lengthSeconds;
};

struct TrackTagRecord {
    char title[128];
    char artist[128];
    char album[128];
    char year[5];
    char comment[128];
    char padding[3];
    std::int32_t genreNumber;  // ID3v1 genre index, 255 when unknown
    char genreName[128];
};

struct TrackDetailRecord {
    std::int32_t mpegVersion;   // 1, 2 or 25 (for 2.5)
    std::int32_t layer;
    std::int32_t sampleRate;
    std::int32_t channels;
    std::int32_t bitRateKbps;
    std::int32_t isVbr;
    std::int32_t frameCount;
    std::int32_t lengthMs;
    std::int32_t hasXingHeader;
    std::int32_t hasId3v1;
    std::int32_t hasId3v2;
    std::int32_t isRiff;
    std::int32_t encoderDelay;
    std::int32_t encoderPadding;
};

struct TrackTextRecord {
    char texts[14][128];  // RIFF INFO texts; order documented in the tag reader
};

struct LyricsLinesRecord {
    std::int32_t reserved;
    char lines[5][128];  // lines[2] is the current line; see the lyrics timer
};

// What the engine makes of the option values: PlaybackEngine's PlaybackSettings.
struct EngineOptionRecord {
    std::int32_t readBufferKb;     // 128: stdio buffer the track is read through
    std::int32_t outputBufferMs;   // 25: the sound device's buffer
    std::int32_t fadeInMs;         // 20: fade in and out where playback starts, stops or jumps
    std::int32_t reserved;         // 0
};

struct DecodeOptionRecord {
    std::int32_t forceMono;        // 0: 1 mixes both channels into each
    std::int32_t reserved;         // 0
    std::int32_t outputRate;       // 48000: rate the device plays at; 0 for the track's own
};

static_assert(sizeof(TrackOpenRecord) == 272);
static_assert(offsetof(TrackOpenRecord, mode) == 128);
static_assert(offsetof(TrackOpenRecord, sampleRate) == 256);
static_assert(offsetof(TrackOpenRecord, lengthSeconds) == 268);
static_assert(sizeof(TrackTagRecord) == 652);
static_assert(offsetof(TrackTagRecord, artist) == 128);
static_assert(offsetof(TrackTagRecord, album) == 256);
static_assert(offsetof(TrackTagRecord, year) == 384);
static_assert(offsetof(TrackTagRecord, comment) == 389);
static_assert(offsetof(TrackTagRecord, genreNumber) == 520);
static_assert(offsetof(TrackTagRecord, genreName) == 524);
static_assert(sizeof(TrackDetailRecord) == 56);
static_assert(sizeof(TrackTextRecord) == 1792);
static_assert(sizeof(LyricsLinesRecord) == 644);
static_assert(offsetof(LyricsLinesRecord, lines) == 4);
static_assert(sizeof(EngineOptionRecord) == 16);
static_assert(sizeof(DecodeOptionRecord) == 12);

// Engine state codes returned by vbmp3_getState.
enum EngineState : std::int32_t { EngineStopped = 0, EnginePlaying = 1, EnginePaused = 2 };

// The audio engine seen by the program: one method per engine function. Paths are
// QStrings; the engine turns them into the file system's own encoding.
class AudioEngine {
public:
    virtual ~AudioEngine() = default;

    virtual std::int32_t vbmp3_init() = 0;
    virtual std::int32_t vbmp3_setVbmp3Option(EngineOptionRecord& options) = 0;
    virtual std::int32_t vbmp3_setDecodeOption(DecodeOptionRecord& options) = 0;
    virtual std::int32_t vbmp3_getVolume(std::int32_t& left, std::int32_t& right) = 0;
    virtual std::int32_t vbmp3_setVolume(std::int32_t left, std::int32_t right) = 0;
    virtual std::int32_t vbmp3_close() = 0;
    virtual std::int32_t vbmp3_open(const QString& path, TrackOpenRecord& info) = 0;
    virtual std::int32_t vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags,
                                            TrackDetailRecord& detail, TrackTextRecord& texts) = 0;
    virtual std::int32_t vbmp3_getState(std::int32_t& positionSeconds) = 0;
    virtual std::int32_t vbmp3_play() = 0;
    virtual std::int32_t vbmp3_pause() = 0;
    virtual std::int32_t vbmp3_restart() = 0;
    virtual std::int32_t vbmp3_stop() = 0;
    virtual std::int32_t vbmp3_seek(std::int32_t seconds) = 0;
    virtual std::int32_t vbmp3_getWinampPlayMs() = 0;
    virtual std::int32_t vbmp3_setLyricsFile(const QString& path) = 0;
    virtual std::int32_t vbmp3_getLyrics(LyricsLinesRecord& lines) = 0;
    virtual std::int32_t vbmp3_getVersion() = 0;
    virtual std::int32_t vbmp3_stopCallback() = 0;
    virtual std::int32_t vbmp3_free() = 0;

    // Why the last vbmp3_open refused its file, in Japanese, where the engine can say
    // more than "Open Error" (a missing library); empty otherwise.
    virtual QString openErrorString() const { return {}; }
    // How much of the current line of the last vbmp3_getLyrics record is sung, as a count
    // of its characters (decoded from the record), fractional inside a sung piece; none
    // when the line has no times for its pieces. Runs on the caller's thread.
    virtual std::optional<double> lyricsSungExtent() = 0;
    // Plays at `percent` of the normal speed (50 to 100) with the pitch kept; positions
    // stay in track time. 0 when the engine cannot, or for a percent out of range.
    virtual std::int32_t setPlaybackSpeed(std::int32_t percent)
    {
        (void)percent;
        return 0;
    }
};

}  // namespace lyricue
