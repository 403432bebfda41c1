#include "playback/play_time_text.h"
#include "support/recording_engine.h"

#include <gtest/gtest.h>

#include <QString>

namespace lyricue {

struct PlayTimeCase {
    std::int32_t ms;
    const char* text;
};

class PlayTimeTextTest : public ::testing::TestWithParam<PlayTimeCase> {};

TEST_P(PlayTimeTextTest, FormatsMinutesSecondsHundredths)
{
    EXPECT_EQ(playTimeTextForMs(GetParam().ms), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Positions, PlayTimeTextTest,
                         ::testing::Values(PlayTimeCase{0, "00:00:00"}, PlayTimeCase{999, "00:00:99"},
                                           PlayTimeCase{1005, "00:01:00"}, PlayTimeCase{1239, "00:01:23"},
                                           PlayTimeCase{83456, "01:23:45"},
                                           PlayTimeCase{3599990, "59:59:99"},
                                           PlayTimeCase{6000000, "100:00:00"}));

TEST(PlayTimeText, ReadsTheEngineAfreshAtEachCall)
{
    RecordingEngine engine;
    engine.queuePlayMs(83456);
    engine.queuePlayMs(6000000);
    EXPECT_EQ(PlayTimeText(engine), QStringLiteral("01:23:45"));
    EXPECT_EQ(PlayTimeText(engine), QStringLiteral("100:00:00"));
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"vbmp3_getWinampPlayMs", "vbmp3_getWinampPlayMs"}));
}

}  // namespace lyricue
