#include "playback/position_bar.h"
#include "support/recording_engine.h"
#include "playback/slider_parts.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

namespace lyricue {

namespace {

class PositionBarTest : public ::testing::Test {
protected:
    PositionBarTest()
    {
        bar.setRange(0, 60);
        bar.setSingleStep(1);
        bar.setPageStep(1);
        bar.resize(340, 14);
        bar.show();
    }

    std::vector<std::int32_t> seeks() const
    {
        std::vector<std::int32_t> seconds;
        for (const EngineCall& call : engine.callsNamed("vbmp3_seek"))
            seconds.push_back(call.numbers.at(0));
        return seconds;
    }

    RecordingEngine engine;
    QScrollBar bar{Qt::Horizontal};
    PositionBar positionBar{bar, engine};
};

TEST_F(PositionBarTest, DraggingTheThumbSeeksAtEveryMove)
{
    const QPoint start = scrollBarThumb(bar).center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, start);
    QTest::mouseMove(&bar, start + QPoint(40, 0));
    const int afterFirstMove = bar.value();
    QTest::mouseMove(&bar, start + QPoint(100, 0));
    const int afterSecondMove = bar.value();
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, start + QPoint(100, 0));

    ASSERT_GT(afterFirstMove, 0);
    ASSERT_GT(afterSecondMove, afterFirstMove);
    EXPECT_EQ(seeks(), (std::vector<std::int32_t>{afterFirstMove, afterSecondMove}));
}

TEST_F(PositionBarTest, ArrowAndTrackClicksMoveWithoutSeeking)
{
    QTest::mouseClick(&bar, Qt::LeftButton, {}, scrollBarRightArrow(bar).center());
    EXPECT_EQ(bar.value(), 1);
    const QRect thumb = scrollBarThumb(bar);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(thumb.right() + 20, thumb.center().y()));
    EXPECT_EQ(bar.value(), 2);
    QTest::keyClick(&bar, Qt::Key_End);
    EXPECT_EQ(bar.value(), 60);
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 0);
}

TEST_F(PositionBarTest, StateTimerDuringADragDoesNotSeek)
{
    const QPoint start = scrollBarThumb(bar).center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, start);
    engine.setState(EnginePlaying, 25);
    positionBar.Timer2_Timer();
    EXPECT_EQ(bar.value(), 25);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, start);
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 0);
}

}  // namespace

}  // namespace lyricue
