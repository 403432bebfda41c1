// The doubles other tests lean on: a double that fails to report a surprise or
// follows the transport wrongly would let faults in the program pass unseen.
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace lyricue {

namespace {

using Strings = std::vector<std::string>;

TEST(ScriptedPrompts, PromptsWithNothingQueuedFailTheTestAndCancel)
{
    ScriptedPrompts prompts;
    FileDialogSettings settings;
    settings.fileName = QStringLiteral("/old.txt");
    int answer = -1;
    bool opened = true;
    bool saved = true;
    EXPECT_NONFATAL_FAILURE(answer = prompts.askYesNoCancel(QStringLiteral("q")), "unscripted question: q");
    EXPECT_NONFATAL_FAILURE(opened = prompts.showOpenDialog(settings), "unscripted open dialog");
    EXPECT_NONFATAL_FAILURE(saved = prompts.showSaveDialog(settings), "unscripted save dialog");
    EXPECT_EQ(answer, AnswerCancel);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(saved);
    EXPECT_EQ(settings.fileName, QStringLiteral("/old.txt"));
}

TEST(ScriptedPrompts, UnusedScriptFailsTheTest)
{
    const std::function<void(ScriptedPrompts&)> scripts[] = {
        [](ScriptedPrompts& p) { p.queueAnswer(AnswerYes); },
        [](ScriptedPrompts& p) { p.queueOpenCancel(); },
        [](ScriptedPrompts& p) { p.queueSaveAccept(QStringLiteral("/a.txt")); },
    };
    for (const auto& script : scripts) {
        EXPECT_NONFATAL_FAILURE(
            {
                ScriptedPrompts prompts;
                script(prompts);
            },
            "never");
    }
}

TEST(ScriptedPrompts, AnswersInOrderAndRecordsSettingsAsShown)
{
    ScriptedPrompts prompts;
    prompts.queueAnswer(AnswerNo);
    prompts.queueAnswer(AnswerYes);
    prompts.queueOpenAccept(QStringLiteral("/music/song.mp3"));
    prompts.queueSaveCancel();

    FileDialogSettings settings;
    settings.filterIndex = 2;
    settings.fileName = QStringLiteral("/lyrics/old.txt");
    prompts.showMessage(QStringLiteral("Open Error"));
    EXPECT_EQ(prompts.askYesNoCancel(QStringLiteral("first")), AnswerNo);
    EXPECT_EQ(prompts.askYesNoCancel(QStringLiteral("second")), AnswerYes);
    EXPECT_TRUE(prompts.showOpenDialog(settings));
    EXPECT_EQ(settings.fileName, QStringLiteral("/music/song.mp3"));
    EXPECT_FALSE(prompts.showSaveDialog(settings));
    EXPECT_EQ(settings.fileName, QStringLiteral("/music/song.mp3"));

    EXPECT_EQ(prompts.shown(), (QStringList{QStringLiteral("message: Open Error"), QStringLiteral("question: first"),
                                            QStringLiteral("question: second"), QStringLiteral("open"),
                                            QStringLiteral("save")}));
    ASSERT_EQ(prompts.openDialogs().size(), 1u);
    EXPECT_EQ(prompts.openDialogs()[0].fileName, QStringLiteral("/lyrics/old.txt"));
    EXPECT_EQ(prompts.openDialogs()[0].filterIndex, 2);
    ASSERT_EQ(prompts.saveDialogs().size(), 1u);
    EXPECT_EQ(prompts.saveDialogs()[0].fileName, QStringLiteral("/music/song.mp3"));
}

struct TransportCase {
    const char* what;
    std::function<void(RecordingEngine&)> act;
    std::int32_t state;
    std::int32_t position;
    std::int32_t playMs;
};

TEST(RecordingEngine, TransportFollowsSuccessfulCallsOnly)
{
    const TransportCase cases[] = {
        {"play", [](RecordingEngine& e) { e.vbmp3_play(); }, EnginePlaying, 7, 7250},
        {"pause", [](RecordingEngine& e) { e.vbmp3_pause(); }, EnginePaused, 7, 7250},
        {"restart", [](RecordingEngine& e) { e.vbmp3_restart(); }, EnginePlaying, 7, 7250},
        {"stop", [](RecordingEngine& e) { e.vbmp3_stop(); }, EngineStopped, 0, 0},
        {"seek", [](RecordingEngine& e) { e.vbmp3_seek(42); }, EnginePaused, 42, 42000},
        {"failed play",
         [](RecordingEngine& e) {
             e.setResult("vbmp3_play", 0);
             EXPECT_EQ(e.vbmp3_play(), 0);
         },
         EnginePaused, 7, 7250},
    };
    for (const TransportCase& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingEngine engine;
        engine.setState(EnginePaused, 7);
        engine.setPlayMs(7250);
        c.act(engine);
        std::int32_t position = -1;
        EXPECT_EQ(engine.vbmp3_getState(position), c.state);
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), c.playMs);
    }
}

TEST(RecordingEngine, ScriptedResultsAndPlayTimesAreUsedInOrder)
{
    RecordingEngine engine;
    engine.queueResult("vbmp3_open", 0);
    engine.setTrackLengthSeconds(185);
    TrackOpenRecord info{};
    EXPECT_EQ(engine.vbmp3_open(QStringLiteral("/a.mp3"), info), 0);
    EXPECT_EQ(info.lengthSeconds, 0);
    EXPECT_EQ(engine.vbmp3_open(QStringLiteral("/b.mp3"), info), 1);
    EXPECT_EQ(info.lengthSeconds, 185);

    engine.queuePlayMs(1000);
    engine.queuePlayMs(1200);
    EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), 1000);
    EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), 1200);
    EXPECT_EQ(engine.vbmp3_getWinampPlayMs(), 1200);

    engine.vbmp3_setVolume(30, 40);
    std::int32_t left = 0;
    std::int32_t right = 0;
    engine.vbmp3_getVolume(left, right);
    EXPECT_EQ(std::make_pair(left, right), std::make_pair(30, 40));

    EXPECT_EQ(engine.callTexts(),
              (Strings{"vbmp3_open(/a.mp3)", "vbmp3_open(/b.mp3)", "vbmp3_getWinampPlayMs()",
                       "vbmp3_getWinampPlayMs()", "vbmp3_getWinampPlayMs()", "vbmp3_setVolume(30, 40)",
                       "vbmp3_getVolume()"}));
    EXPECT_EQ(engine.countOf("vbmp3_getWinampPlayMs"), 3);
    EXPECT_NONFATAL_FAILURE(engine.setResult("vbmp3_getState", 1), "cannot script");
    EXPECT_NONFATAL_FAILURE(engine.queueResult("vbmp3_opne", 1), "cannot script");
}

}  // namespace

}  // namespace lyricue
