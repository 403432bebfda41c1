#pragma once

namespace lyricue {

// Steps over a block of interleaved stereo frames, as the voice applies them in order:
// fade, mono mix, volume ramp. For the output's thread: they never allocate or wait.
namespace block_steps {

// Multiplies frame i by step (firstStep + direction × i) of `length` steps, held within
// 0 and `length`: a fade in (direction 1) or out (-1). No change for a length of 0.
void applyFade(float* stereo, int frames, int firstStep, int direction, int length);

// Each frame's two channels become their mean.
void mixStereoToMono(float* stereo, int frames);

struct StereoGain {
    float left;
    float right;
};
// Gains moving from `from` towards `to` over the block, which frame i gets at
// (i + 1) / frames of the way: the last frame is at `to`.
void applyRampingGain(float* stereo, int frames, StereoGain from, StereoGain to);

}  // namespace block_steps

}  // namespace lyricue
