#pragma once

#include "base/result.h"

#include <memory>

namespace lyricue {

// Plays a source slower without changing its pitch: interleaved stereo frames in at the
// source's rate, and out at the same rate, each output frame carrying `speed` source
// frames. Output frame k is source frame k × speed of what was put since the start
// (the stretcher's own delay is taken off), so frames keep their place in the track.
class TimeStretcher {
public:
    virtual ~TimeStretcher() = default;

    // Starts over at `speed` (0 < speed <= 1), with nothing put yet.
    virtual void restart(double speed) = 0;
    // `last`: no more input; what the stretcher holds comes out.
    virtual void put(const float* stereo, int frames, bool last) = 0;
    // Output frames ready.
    virtual int available() const = 0;
    virtual int get(float* stereo, int frames) = 0;
};

// A stretcher from the time-stretching module (Rubber Band), loaded on first use, or why
// the module cannot be loaded.
ResultOf<std::unique_ptr<TimeStretcher>> makeTimeStretcher(int sampleRate);

}  // namespace lyricue
