#pragma once

#include "audio/playback_engine.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <cstdint>
#include <vector>

namespace lyricue {

// Helpers for driving an PlaybackEngine through render() with no sound device.
namespace engine_render {

// Interleaved stereo frames from the engine; `returned` sums what render() reported.
struct Rendered {
    std::vector<float> samples;
    std::int64_t returned = 0;
};

inline Rendered renderFrames(PlaybackEngine& engine, int frames, int block = 1024)
{
    Rendered out;
    out.samples.resize(std::size_t(frames) * 2);
    for (int done = 0; done < frames; done += block) {
        const int count = std::min(block, frames - done);
        out.returned += engine.render(out.samples.data() + std::size_t(done) * 2, count);
    }
    return out;
}

// Renders until the track gives no more frames.
inline Rendered renderToEnd(PlaybackEngine& engine, int block = 4096)
{
    Rendered out;
    std::vector<float> buffer(std::size_t(block) * 2);
    for (;;) {
        const int got = engine.render(buffer.data(), block);
        out.samples.insert(out.samples.end(), buffer.begin(), buffer.begin() + std::size_t(got) * 2);
        out.returned += got;
        if (got < block)
            return out;
    }
}

// Largest difference between `actual` and the frames of `reference` from `fromFrame`.
inline float largestDifference(const std::vector<float>& actual, const std::vector<float>& reference,
                               std::int64_t fromFrame, float scaleLeft = 1, float scaleRight = 1)
{
    float largest = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const std::size_t at = std::size_t(fromFrame) * 2 + i;
        const float want = at < reference.size() ? reference[at] * (i % 2 ? scaleRight : scaleLeft) : 0.0f;
        largest = std::max(largest, std::fabs(actual[i] - want));
    }
    return largest;
}

// A test name from a fixture's file name: "tone_xing.mp3" gives "tone_xing_mp3".
inline std::string fileTestName(const char* file)
{
    std::string name(file);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

// An engine with no device and no fade-in, so that rendered samples are the decoder's.
inline void useExactOutput(PlaybackEngine& engine)
{
    EngineOptionRecord options{128, 25, 0, 0};
    ASSERT_EQ(engine.vbmp3_setVbmp3Option(options), 1);
}

}  // namespace engine_render

}  // namespace lyricue
