#include "audio/block_steps.h"

#include <algorithm>

namespace lyricue::block_steps {

void applyFade(float* stereo, int frames, int firstStep, int direction, int length)
{
    if (length <= 0)
        return;
    for (int i = 0; i < frames; ++i) {
        const float gain = float(std::clamp(firstStep + direction * i, 0, length)) / float(length);
        stereo[2 * i] *= gain;
        stereo[2 * i + 1] *= gain;
    }
}

void mixStereoToMono(float* stereo, int frames)
{
    for (int i = 0; i < frames; ++i)
        stereo[2 * i] = stereo[2 * i + 1] = (stereo[2 * i] + stereo[2 * i + 1]) / 2;
}

void applyRampingGain(float* stereo, int frames, StereoGain from, StereoGain to)
{
    for (int i = 0; i < frames; ++i) {
        const float share = float(i + 1) / float(frames);
        stereo[2 * i] *= from.left + (to.left - from.left) * share;
        stereo[2 * i + 1] *= from.right + (to.right - from.right) * share;
    }
}

}  // namespace lyricue::block_steps
