#pragma once

#include "base/result.h"

namespace lyricue {

struct EngineOptionRecord;
struct DecodeOptionRecord;

// The engine's settings, taken from its two option records. A record with a value the
// engine cannot honour is refused whole. They apply from the next open (read buffer)
// or the next start of playback (device buffer, fade, mono mix, output rate).
struct PlaybackSettings {
    int readBufferKb = 128;    // 4 to 4096
    int outputBufferMs = 25;   // 5 to 500
    int fadeInMs = 20;         // 0 to 1000: fades in and out at starts, stops and jumps
    bool forceMono = false;
    int outputRate = 0;        // 0 (the track's own rate), or 8000 to 192000

    Result apply(const EngineOptionRecord& options);
    Result apply(const DecodeOptionRecord& options);

    // The rate render() delivers for a track of `trackRate`.
    int outputRateFor(int trackRate) const;
    // The device buffer in frames at `rate`: outputBufferMs, to the nearest power of two
    // (some SDL drivers take nothing else).
    int bufferFramesAt(int rate) const;
    int fadeFramesAt(int rate) const;
};

}  // namespace lyricue
