#include "support/recording_engine.h"
#include "playback/slider_parts.h"
#include "playback/volume_slider.h"

#include <gtest/gtest.h>

#include <QTest>

namespace lyricue {

namespace {

struct VolumeCase {
    std::int32_t left;
    std::int32_t right;
    int sliderValue;
};

class StartVolume : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(StartVolume, IsTheChannelMeanTruncatedAndSendsNothing)
{
    RecordingEngine engine;
    engine.setVolume(GetParam().left, GetParam().right);
    VolumeSlider slider(engine);
    slider.setUpFromEngine();

    EXPECT_EQ(slider.value(), GetParam().sliderValue);
    EXPECT_EQ(slider.minimum(), 0);
    EXPECT_EQ(slider.maximum(), 100);
    EXPECT_EQ(slider.singleStep(), 1);
    EXPECT_EQ(slider.pageStep(), 1);
    EXPECT_EQ(engine.calls(), std::vector<std::string>{"vbmp3_getVolume"});
}

INSTANTIATE_TEST_SUITE_P(Channels, StartVolume,
                         ::testing::Values(VolumeCase{31, 50, 40}, VolumeCase{100, 100, 100},
                                           VolumeCase{0, 1, 0}, VolumeCase{99, 100, 99}, VolumeCase{0, 0, 0}));

class VolumeSliderTest : public ::testing::Test {
protected:
    VolumeSliderTest()
    {
        engine.setVolume(50, 50);
        slider.setUpFromEngine();
        slider.resize(200, 20);
        slider.show();
        engine.clearLog();
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> texts;
        for (const EngineCall& call : engine.callsNamed("vbmp3_setVolume"))
            texts.push_back(call.text());
        return texts;
    }

    static std::string setVolume(int value)
    {
        return "vbmp3_setVolume(" + std::to_string(value) + ", " + std::to_string(value) + ")";
    }

    RecordingEngine engine;
    VolumeSlider slider{engine};
};

TEST_F(VolumeSliderTest, ClickSendsTheValueToBothChannels)
{
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(190, 10));
    ASSERT_NE(slider.value(), 50);
    EXPECT_EQ(sent(), std::vector<std::string>{setVolume(slider.value())});
}

TEST_F(VolumeSliderTest, DragSendsOnceOnRelease)
{
    const QPoint start = sliderHandle(slider).center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, start);
    QTest::mouseMove(&slider, start - QPoint(30, 0));
    QTest::mouseMove(&slider, start - QPoint(60, 0));
    EXPECT_TRUE(sent().empty());
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, start - QPoint(60, 0));

    ASSERT_LT(slider.value(), 50);
    EXPECT_EQ(sent(), std::vector<std::string>{setVolume(slider.value())});
}

TEST_F(VolumeSliderTest, OtherChangesSendNothing)
{
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.value(), 51);
    slider.setValue(20);
    // Pressed on the slider but let go outside it: no click.
    const QPoint start = sliderHandle(slider).center();
    QTest::mousePress(&slider, Qt::LeftButton, {}, start);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(100, 60));
    QTest::mouseClick(&slider, Qt::RightButton, {}, QPoint(190, 10));
    EXPECT_TRUE(sent().empty());
}

}  // namespace

}  // namespace lyricue
