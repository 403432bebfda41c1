// The span the timeline shows: how it follows the play position and how it zooms.
#include "timeline/time_window.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

TEST(TimeWindow, FollowsThePositionOnlyWhenItLeavesTheSpan)
{
    struct Case {
        qint64 start;
        qint64 position;
        bool moved;
        qint64 startAfter;
    };
    for (const Case& c : {Case{0, 0, false, 0}, Case{0, 7999, false, 0}, Case{0, 8000, true, 7000},
                          Case{16000, 3000, true, 2000}, Case{16000, 500, true, 0}, Case{4000, 4000, false, 4000}}) {
        TimeWindow window{c.start, 8000};
        EXPECT_EQ(window.follow(c.position), c.moved) << c.start << " " << c.position;
        EXPECT_EQ(window.startMs, c.startAfter) << c.start << " " << c.position;
        EXPECT_EQ(window.widthMs, 8000);
    }
}

TEST(TimeWindow, ZoomHalvesOrDoublesWithinItsLimitsKeepingTheAnchorInPlace)
{
    struct Case {
        qint64 start;
        qint64 width;
        int steps;
        qint64 anchor;
        qint64 startAfter;
        qint64 widthAfter;
    };
    for (const Case& c : {Case{0, 8000, 1, 0, 0, 4000}, Case{10000, 8000, 1, 14000, 12000, 4000},
                          Case{10000, 8000, -1, 14000, 6000, 16000}, Case{0, 8000, 5, 0, 0, 1000},
                          Case{0, 8000, -9, 0, 0, 64000}, Case{1000, 8000, -1, 2000, 0, 16000},
                          Case{0, 1000, 1, 0, 0, 1000}}) {
        TimeWindow window{c.start, c.width};
        window.zoom(c.steps, c.anchor);
        EXPECT_EQ(window.widthMs, c.widthAfter) << c.start << " " << c.steps;
        EXPECT_EQ(window.startMs, c.startAfter) << c.start << " " << c.steps;
    }
}

}  // namespace

}  // namespace lyricue
