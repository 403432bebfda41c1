// How often the tap analysis gives a median, and how near it comes, for simulated users on
// the dialog's click: people who press at random (target: never a median), and people who
// tap along late or early by a fixed delay with normally scattered presses, missing 5 % of
// the clicks and pressing twice on 3 % (target: a median near their delay, refused only for
// the loosest tappers). A median counts as near within three quarters of the scatter + 5 ms.
//
// Usage: calibration_bench [runs per figure, default 4000]
#include "calibration/click_track.h"
#include "calibration/tap_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace lyricue;

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4000;
    const ClickTrack track;
    const std::vector<double> clicks = track.clickTimesMs();
    std::mt19937 draw(20240601);
    std::uniform_real_distribution<double> unit(0, 1);

    for (const int presses : {8, 16, 24, 32}) {
        int given = 0;
        std::uniform_real_distribution<double> during(clicks.front(), clicks.back() + track.beatMs());
        for (int run = 0; run < runs; ++run) {
            std::vector<double> taps;
            for (int press = 0; press < presses; ++press)
                taps.push_back(during(draw));
            std::sort(taps.begin(), taps.end());
            given += TapAnalysis::of(clicks, taps).medianMs.has_value();
        }
        std::printf("%2d random presses: a median in %5.2f %% of runs (target 0)\n", presses, 100.0 * given / runs);
    }

    for (const double scatter : {20.0, 40.0, 60.0, 80.0}) {
        for (const double delay : {-300.0, -220.0, 0.0, 80.0, 250.0, 450.0, 600.0, 700.0}) {
            std::normal_distribution<double> jitter(0, scatter);
            int given = 0, near = 0;
            for (int run = 0; run < runs; ++run) {
                std::vector<double> taps;
                for (const double click : clicks) {
                    if (unit(draw) < 0.05)
                        continue;
                    taps.push_back(click + delay + jitter(draw));
                    if (unit(draw) < 0.03)
                        taps.push_back(click + delay + 150 + jitter(draw));
                }
                std::sort(taps.begin(), taps.end());
                const TapAnalysis analysis = TapAnalysis::of(clicks, taps);
                given += analysis.medianMs.has_value();
                near += analysis.medianMs && std::fabs(*analysis.medianMs - delay) < 0.75 * scatter + 5;
            }
            std::printf("scatter %2.0f ms, delay %+4.0f ms: a median in %5.1f %% of runs, near the delay in %5.1f %% of those\n",
                        scatter, delay, 100.0 * given / runs, given ? 100.0 * near / given : 0.0);
        }
    }
}

