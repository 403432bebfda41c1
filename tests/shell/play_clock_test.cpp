#include "text/ansi_text.h"
#include "shell/command_keys.h"
#include "shell/window_fixture.h"

namespace lyricue {

namespace {

using Calls = std::vector<std::string>;

QByteArray cp932(const char16_t* text)
{
    return encodeCp932(QString::fromUtf16(text)).bytes;
}

class PlayClockTest : public WindowTest {
protected:
    void SetUp() override
    {
        window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
        showActive();
        clickToolbar(CommandKey::Play);
        engine.clearLog();
    }

    QStringList labelTexts()
    {
        QStringList texts;
        for (int index = 0; index < 5; ++index)
            texts << lyricLabel(index)->text();
        return texts;
    }

    QColor middleColour() { return lyricLabel(2)->palette().color(QPalette::WindowText); }
};

TEST_F(PlayClockTest, TickShowsTheLyricLinesThenThePlayTime)
{
    engine.setLyricsLines({cp932(u"一"), cp932(u"二"), cp932(u"三"), cp932(u"四"), cp932(u"五")});
    engine.setPlayMs(83456);
    tick(playTimer());

    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getLyrics", "lyricsSungExtent", "vbmp3_getWinampPlayMs"}));
    EXPECT_EQ(labelTexts(), QStringList({QStringLiteral("五"), QStringLiteral("四"), QStringLiteral("三"),
                                         QStringLiteral("二"), QStringLiteral("一")}));
    EXPECT_EQ(control<QLabel>("lblTime")->text(), QStringLiteral("Now 01:23:45"));
    EXPECT_EQ(middleColour(), QColor(255, 255, 0));
}

TEST_F(PlayClockTest, AfterStopTheTimeStaysWhileTheBarFollowsTheEngine)
{
    engine.setPlayMs(1239);
    tick(playTimer());
    clickToolbar(CommandKey::Stop);
    EXPECT_FALSE(playTimer().isActive());

    engine.setState(EngineStopped, 17);
    stateTimerTick();
    EXPECT_EQ(control<QLabel>("lblTime")->text(), QStringLiteral("Now 00:01:23"));
    EXPECT_EQ(control<QScrollBar>("timebar")->value(), 17);
}

struct BarCase {
    std::int32_t engineSeconds;
    int maximum;
    int barValue;
};

class StateTimer : public WindowTest, public ::testing::WithParamInterface<BarCase> {};

TEST_P(StateTimer, PutsTheEnginePositionIntoThePositionBarClamped)
{
    QScrollBar* timebar = control<QScrollBar>("timebar");
    timebar->setMaximum(GetParam().maximum);
    engine.clearLog();
    engine.setState(EnginePlaying, GetParam().engineSeconds);
    stateTimerTick();
    EXPECT_EQ(timebar->value(), GetParam().barValue);
    EXPECT_EQ(engine.calls(), Calls{"vbmp3_getState"});
    EXPECT_TRUE(prompts.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Positions, StateTimer,
                         ::testing::Values(BarCase{42, 32767, 42}, BarCase{40000, 32767, 32767},
                                           BarCase{-5, 32767, 0}, BarCase{200, 180, 180}, BarCase{180, 180, 180}));

}  // namespace

}  // namespace lyricue
