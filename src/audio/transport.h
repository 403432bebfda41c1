#pragma once

#include "audio/audio_engine.h"
#include "audio/decoder.h"
#include "audio/play_clock.h"
#include "audio/playback_settings.h"
#include "audio/playback_voice.h"
#include "audio/sound_output.h"
#include "base/result.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace lyricue {

// Plays one source at a time and tells the frame being heard: play, pause, stop, seek
// and speed changes each start a new generation of frames in the ring, which the
// decoding thread fills and the output's thread plays (PlaybackVoice).
//
// It takes no lock of its own: its owner calls it under one mutex of the caller's
// thread, which the decoding and output threads never take (they meet the transport
// only through the ring, the voice and the play clock).
class Transport {
public:
    enum class Output { Device, Manual, ManualRealTime };
    // Where a Device transport plays: a sound server when one answers (unless
    // SDL_AUDIODRIVER names a driver of its own) or else SDL; one server only; SDL only.
    struct Route {
        enum Kind { Automatic, SoundServerOnly, SdlOnly } kind = Automatic;
        QByteArray server;  // "unix:/path/native"; empty for the user's own
    };
    // Whether a source plays at the chosen speed, or always at its own (the calibration
    // click, whose taps measure wall time).
    enum class Pace { Chosen, Own };
    using TimePoint = PlayClock::TimePoint;
    // render(): the block's first frame is heard `second` output frames after the frames
    // handed before it, at `first`.
    using Heard = std::optional<std::pair<TimePoint, double>>;

    Transport(Output output, Route route);
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;
    ~Transport();

    PlaybackSettings& settings() { return m_settings; }
    void setVolume(int left, int right);
    std::pair<int, int> volume() const { return {m_volumeLeft, m_volumeRight}; }

    // Takes `source` (with a rate) stopped at its start, in place of what was loaded.
    void load(std::unique_ptr<Decoder> source, Pace pace);
    // Nothing loaded any more: stopped at 0.
    void unload();
    bool isLoaded() const { return m_pipeline && m_sourceRate > 0; }
    int sourceRate() const { return m_sourceRate; }
    std::int64_t lengthFrames() const { return m_lengthFrames; }
    EngineState state() const { return m_state; }

    // Takes in what happened since the last call: an output that went away (paused at
    // what was heard), the end of the source (stopped), where a start landed, and an
    // output to suspend once it has gone quiet. Every caller's step begins with it.
    void settle(TimePoint time);
    // The source frame being heard at `time` (where playback starts or stands while not
    // playing); never goes back while playing.
    std::int64_t position(TimePoint time);

    // Starts or resumes at the position, opening the output first if need be.
    Result play();
    void pauseAt(std::int64_t frame);
    void stop();
    // Starts a generation at `frame`, playing or not: a seek, or a jump there.
    void startAt(std::int64_t frame, bool running);
    // From the frame being heard, as a seek there would (50 to 100 percent).
    void setSpeed(int percent, TimePoint time);
    // Nothing plays any more: pauses at what was heard and closes the output.
    void releaseOutput(TimePoint time);
    // Closes the output, the source and the threads.
    void shutDown();

    // Manual outputs. Takes `ownerMutex` to see what plays and, for Output::Manual, waits
    // without it for the decoding thread to have `frames` frames of it ready.
    void waitForDecodedFrames(std::mutex& ownerMutex, int frames);
    int render(float* stereo, int frames, const Heard& heard);

    // These read without the owner's lock, as callers that ask between the first load
    // and shutDown() may.
    PlaybackVoice::Underruns underruns() const;
    bool playsThroughSoundServer() const { return m_device && m_deviceIsServer; }
    std::int64_t serverUnderruns() const { return m_device ? m_device->serverUnderruns() : 0; }
    std::optional<std::chrono::nanoseconds> lastStartToFirstFrame() const;

private:
    class Feed;
    struct Pipeline;

    void ensurePipeline();
    Result ensureOutput(int rate, int bufferFrames);

    const Output m_output;
    const Route m_route;
    PlaybackSettings m_settings;
    std::unique_ptr<Pipeline> m_pipeline;
    std::unique_ptr<Feed> m_feed;
    std::unique_ptr<SoundOutput> m_device;
    bool m_deviceIsServer = false;
    Pace m_pace = Pace::Chosen;
    std::int32_t m_speedPercent = 100;
    int m_sourceRate = 0;
    std::int64_t m_lengthFrames = 0;
    int m_rate = 0;  // output rate of the frames being decoded
    EngineState m_state = EngineStopped;
    std::uint32_t m_generation = 0;
    std::int64_t m_position = 0;  // where playback starts, or stands while not playing
    std::int64_t m_reported = 0;  // the furthest position reported while playing
    bool m_suspendPending = false;
    int m_volumeLeft = 100;
    int m_volumeRight = 100;
};

}  // namespace lyricue
