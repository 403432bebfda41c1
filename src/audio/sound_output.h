#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace lyricue {

// What an output pulls its frames from, and tells what it hears. Called on the
// output's own thread.
class OutputFeed {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~OutputFeed() = default;
    // Fills `frames` stereo float frames; output frames count on from there.
    virtual void pull(float* stereo, int frames) = 0;
    // Output frames handed over so far.
    virtual std::int64_t handed() const = 0;
    // Output frame `outputFrame` is heard at `time`.
    virtual void heard(TimePoint time, double outputFrame) = 0;
    // The output stopped and goes on again: the next measurement starts the clock over.
    virtual void restartTimeline() = 0;
};

// A place where the engine's frames are played: a sound server's stream or an SDL
// device. The engine calls it from its own thread only.
class SoundOutput {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~SoundOutput() = default;
    virtual int sampleRate() const = 0;
    virtual int bufferFrames() const = 0;
    // Starts pulling, or goes on after suspend().
    virtual void resume() = 0;
    // Stops pulling; asked once the frames pulled have gone quiet.
    virtual void suspend() = 0;
    // When the device or server went away; nothing while it is there.
    virtual std::optional<TimePoint> lostAt() const = 0;
    // Times the server had no frames to play (0 where the output cannot tell).
    virtual std::int64_t serverUnderruns() const { return 0; }
};

}  // namespace lyricue
