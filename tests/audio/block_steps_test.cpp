// The voice's block steps: a fade reaches silence or full gain in its steps, a mono mix
// gives each channel the mean, and a volume change ramps to its new gain by the block's
// last frame.
#include "audio/block_steps.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace lyricue {

namespace {

using namespace block_steps;

struct StepCase {
    const char* name;
    std::vector<float> stereo;
    std::function<void(float*, int)> step;
    std::vector<float> expected;
};

void PrintTo(const StepCase& step, std::ostream* out)
{
    *out << step.name;
}

class BlockStepsTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(BlockStepsTest, GivesTheFramesExpected)
{
    StepCase step = GetParam();
    step.step(step.stereo.data(), int(step.stereo.size() / 2));
    EXPECT_EQ(step.stereo, step.expected);
}

const std::vector<float> kFull = {1, -1, 1, -1, 1, -1, 1, -1, 1, -1};

INSTANTIATE_TEST_SUITE_P(
    Steps, BlockStepsTest,
    ::testing::Values(
        StepCase{"FadeInHoldsAtFullGain", kFull, [](float* s, int n) { applyFade(s, n, 1, 1, 4); },
                 {0.25f, -0.25f, 0.5f, -0.5f, 0.75f, -0.75f, 1, -1, 1, -1}},
        StepCase{"FadeOutEndsInSilence", kFull, [](float* s, int n) { applyFade(s, n, 3, -1, 4); },
                 {0.75f, -0.75f, 0.5f, -0.5f, 0.25f, -0.25f, 0, 0, 0, 0}},
        StepCase{"NoFadeLengthLeavesTheFrames", kFull, [](float* s, int n) { applyFade(s, n, 0, 1, 0); }, kFull},
        StepCase{"MonoMixIsTheMean", {1, 0, 0.5f, -0.5f, -1, 0.5f}, [](float* s, int n) { mixStereoToMono(s, n); },
                 {0.5f, 0.5f, 0, 0, -0.25f, -0.25f}},
        StepCase{"RampEndsAtTheNewGain", {1, 1, 1, 1, 1, 1, 1, 1},
                 [](float* s, int n) { applyRampingGain(s, n, {1, 0}, {0, 1}); },
                 {0.75f, 0.25f, 0.5f, 0.5f, 0.25f, 0.75f, 0, 1}},
        StepCase{"SteadyGainScalesEachChannel", {1, 1, -1, -1},
                 [](float* s, int n) { applyRampingGain(s, n, {0.5f, 0.25f}, {0.5f, 0.25f}); },
                 {0.5f, 0.25f, -0.5f, -0.25f}}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
