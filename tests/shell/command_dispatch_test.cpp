#include "shell/command_keys.h"
#include "shell/window_fixture.h"

namespace lyricue {

namespace {

using Calls = std::vector<std::string>;

class CommandDispatchTest : public WindowTest {
protected:
    void SetUp() override
    {
        window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
        showActive();
        engine.clearLog();
    }
};

struct KeyInState {
    const QString* key;
    std::int32_t state;
};

class EveryClick : public CommandDispatchTest, public ::testing::WithParamInterface<KeyInState> {};

TEST_P(EveryClick, ReadsTheEngineStateOnceBeforeAnythingElse)
{
    engine.setState(GetParam().state);
    prompts.queueOpenCancel();  // for the commands that open a dialog
    prompts.queueSaveCancel();
    closeModalBoxWhenShown();   // for the About box
    clickToolbar(*GetParam().key);
    prompts.clearScript();
    const Calls calls = engine.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "vbmp3_getState");
    EXPECT_EQ(engine.countOf("vbmp3_getState"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EveryClick,
    ::testing::Values(KeyInState{&CommandKey::Open, 0}, KeyInState{&CommandKey::LoadLyrics, 2},
                      KeyInState{&CommandKey::SaveLyrics, 0}, KeyInState{&CommandKey::SaveAndLoad, 2},
                      KeyInState{&CommandKey::Play, 0}, KeyInState{&CommandKey::Play, 1},
                      KeyInState{&CommandKey::Pause, 0}, KeyInState{&CommandKey::Pause, 1},
                      KeyInState{&CommandKey::Pause, 2}, KeyInState{&CommandKey::Stop, 1},
                      KeyInState{&CommandKey::Search, 1}, KeyInState{&CommandKey::About, 1},
                      KeyInState{&CommandKey::Exit, 1}));

struct BusyCase {
    const QString* key;
    std::int32_t state;
    const char16_t* message;
};

class BusyRule : public CommandDispatchTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(BusyRule, RefusesFileAndSearchCommandsOnlyWhilePlaying)
{
    window().document().setLyricsPath(QStringLiteral("/music/a.txt"));
    engine.setState(GetParam().state, 3);

    clickToolbar(*GetParam().key);

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: ") + QString::fromUtf16(GetParam().message)});
    EXPECT_EQ(engine.calls(), Calls{"vbmp3_getState"});
    EXPECT_EQ(window().fileCommands().SelectedPath(), QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(window().document().LyricsPath(), QStringLiteral("/music/a.txt"));
}

const char16_t* const Busy = u"ＭＰ３再生中は実行できません";
const char16_t* const Search = u"類似する歌詞ファイルの検索を行います（予定）";

INSTANTIATE_TEST_SUITE_P(
    Keys, BusyRule,
    ::testing::Values(BusyCase{&CommandKey::Open, 1, Busy}, BusyCase{&CommandKey::LoadLyrics, 1, Busy},
                      BusyCase{&CommandKey::SaveLyrics, 1, Busy}, BusyCase{&CommandKey::SaveAndLoad, 1, Busy},
                      BusyCase{&CommandKey::Search, 1, Busy}, BusyCase{&CommandKey::Search, 0, Search},
                      BusyCase{&CommandKey::Search, 2, Search}));

TEST_F(CommandDispatchTest, PlayStartsTheClockAndGivesTimeInputTheFocus)
{
    ASSERT_EQ(focusName(), QStringLiteral("Slider1"));
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_play"}));
    EXPECT_TRUE(playTimer().isActive());
    EXPECT_EQ(focusName(), QStringLiteral("Cmd_TimeIn"));
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("Cmd_TimeIn"));
}

TEST_F(CommandDispatchTest, PlayWhilePlayingCallsPlayTwice)
{
    engine.setState(EnginePlaying);
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_play", "vbmp3_play"}));
    EXPECT_TRUE(playTimer().isActive());
}

TEST_F(CommandDispatchTest, PlayWithoutAChosenFileDoesNothing)
{
    window().fileCommands().setSelectedPath(QString());
    sheet().setRow(5);
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(engine.calls(), Calls{"vbmp3_getState"});
    EXPECT_FALSE(playTimer().isActive());
    EXPECT_EQ(focusName(), QStringLiteral("Slider1"));
    EXPECT_EQ(sheet().row(), 5);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(CommandDispatchTest, PlayAfterACancelledDialogStillCallsTheEngine)
{
    window().fileCommands().setSelectedPath(ErrorCancel);
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_play"}));
}

TEST_F(CommandDispatchTest, PlayRefusedByTheEngineChangesNothing)
{
    engine.setResult("vbmp3_play", 0);
    sheet().setRow(5);
    sheet().setTopRow(4);
    const int topRow = sheet().topRow();
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_play"}));
    EXPECT_FALSE(playTimer().isActive());
    EXPECT_EQ(focusName(), QStringLiteral("Slider1"));
    EXPECT_EQ(sheet().row(), 5);
    EXPECT_EQ(sheet().topRow(), topRow);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

struct PlayRows {
    int rowBefore;
    std::int16_t stampRowBefore;
    int rowAfter;
    std::int16_t stampRowAfter;
};

class PlayMovesRows : public CommandDispatchTest, public ::testing::WithParamInterface<PlayRows> {};

TEST_P(PlayMovesRows, BackToLineOneFromRowTwoOnAndScrollsToTheTop)
{
    sheet().setRow(GetParam().rowBefore);
    window().document().setStampRow(GetParam().stampRowBefore);
    // Half as tall, so that the start-up sheet's lines do not all fit and it can scroll.
    sheet().resize(sheet().width(), sheet().height() / 2);
    sheet().setTopRow(6);
    ASSERT_GT(sheet().topRow(), 1);

    clickToolbar(CommandKey::Play);

    EXPECT_EQ(sheet().row(), GetParam().rowAfter);
    EXPECT_EQ(window().document().StampRow(), GetParam().stampRowAfter);
    EXPECT_EQ(sheet().topRow(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlayMovesRows,
                         ::testing::Values(PlayRows{5, 4, 2, 1}, PlayRows{2, 7, 2, 1}, PlayRows{14, 13, 2, 1},
                                           PlayRows{1, 0, 1, 0}, PlayRows{1, 6, 1, 6}));

struct PauseCase {
    std::int32_t state;
    bool clockBefore;
    const char* engineCall;  // after getState; nullptr for none
    bool clockAfter;
    bool unexpected;
};

class PauseCommand : public CommandDispatchTest, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PauseCommand, ActsByTheStateReadAtTheClick)
{
    const PauseCase& c = GetParam();
    engine.setState(c.state);
    if (c.clockBefore)
        playTimer().start();
    sheet().setRow(5);

    clickToolbar(CommandKey::Pause);

    Calls expected{"vbmp3_getState"};
    if (c.engineCall)
        expected.push_back(c.engineCall);
    EXPECT_EQ(engine.calls(), expected);
    EXPECT_EQ(playTimer().isActive(), c.clockAfter);
    EXPECT_EQ(prompts.messages(), c.unexpected ? QStringList{QStringLiteral("設定値以外の引数が返されました。")}
                                               : QStringList{});
    EXPECT_EQ(sheet().row(), 5);
    EXPECT_EQ(focusName(), QStringLiteral("Slider1"));
}

INSTANTIATE_TEST_SUITE_P(States, PauseCommand,
                         ::testing::Values(PauseCase{EngineStopped, false, "vbmp3_play", true, false},
                                           PauseCase{EnginePlaying, true, "vbmp3_pause", false, false},
                                           PauseCase{EnginePaused, false, "vbmp3_restart", true, false},
                                           PauseCase{3, true, nullptr, true, true},
                                           PauseCase{-1, false, nullptr, false, true}));

TEST_F(CommandDispatchTest, StopAlwaysStopsTheEngineAndTheClock)
{
    for (const bool playing : {true, false}) {
        engine.clearLog();
        engine.setState(playing ? EnginePlaying : EngineStopped);
        playTimer().start();
        clickToolbar(CommandKey::Stop);
        EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_stop"})) << playing;
        EXPECT_FALSE(playTimer().isActive()) << playing;
    }
}

TEST_F(CommandDispatchTest, PlayPauseResumeStopRunTheClock)
{
    clickToolbar(CommandKey::Play);
    EXPECT_TRUE(playTimer().isActive());
    clickToolbar(CommandKey::Pause);
    EXPECT_FALSE(playTimer().isActive());
    clickToolbar(CommandKey::Pause);
    EXPECT_TRUE(playTimer().isActive());
    clickToolbar(CommandKey::Stop);
    EXPECT_FALSE(playTimer().isActive());
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_play", "vbmp3_getState", "vbmp3_pause",
                                     "vbmp3_getState", "vbmp3_restart", "vbmp3_getState", "vbmp3_stop"}));
}

}  // namespace

}  // namespace lyricue
