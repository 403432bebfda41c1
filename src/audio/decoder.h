#pragma once

#include "base/result.h"

#include <cstdint>

namespace lyricue {

// A source of interleaved stereo float frames at its own rate: a decoded track, or sound
// the program makes itself. The engine plays any of them the same way; positions count
// frames of the source.
// Why a source cannot move to `frame`.
inline Result seekRefused(std::int64_t frame)
{
    return Result::failure(QStringLiteral("%1 フレーム目へ移れません").arg(frame));
}

class Decoder {
public:
    virtual ~Decoder() = default;

    virtual int sampleRate() const = 0;
    // Frames read() gives from 0 to the end.
    virtual std::int64_t lengthFrames() const = 0;
    // The frame read() gives next.
    virtual std::int64_t position() const = 0;
    // Moves to any frame from 0 to the length; where a damaged stream does not allow the
    // exact frame, it lands near and position() tells where. Fails when it cannot move.
    virtual Result seek(std::int64_t frame) = 0;
    // Up to `frames` frames; fewer only where the source ends (0 there).
    virtual int read(float* stereo, int frames) = 0;
};

}  // namespace lyricue
