// The file commands "読込", "歌詞読込", "歌詞保存" and "再読込" from the toolbar.
#include "ansi_text.h"
#include "command_keys.h"
#include "file_dialogs.h"
#include "record_text.h"
#include "window_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <ostream>

namespace {

using Calls = std::vector<std::string>;

const QString SongLines[] = {QStringLiteral("[00:01:00]はじめの行"), QStringLiteral("二行目"),
                             QStringLiteral("[00:03:50]三行目")};

class FileCommandsTest : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        music = dir.filePath(QStringLiteral("song.mp3"));
        lyrics = dir.filePath(QStringLiteral("song.txt"));
        writeCp932(lyrics, SongLines);
        record_text::store(engine.tagRecord().title, encodeCp932(u"秋の空").bytes);
        record_text::store(engine.tagRecord().artist, encodeCp932(u"佐藤一郎").bytes);
        engine.setTrackLengthSeconds(185);
        showActive();
        engine.clearLog();
    }

    static void writeCp932(const QString& path, const auto& lines)
    {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += encodeCp932(line).bytes + "\r\n";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Each line as tag + "|" + text.
    QStringList sheetLines()
    {
        QStringList lines;
        for (int row = 1; row < sheet().rows(); ++row)
            lines << CellText(sheet(), row, 0) + u'|' + CellText(sheet(), row, 1);
        return lines;
    }

    // Opens the song and loads its lyrics, as a user answering Yes does.
    void openSongWithLyrics()
    {
        prompts.queueOpenAccept(music);
        prompts.queueAnswer(AnswerYes);
        clickToolbar(CommandKey::Open);
        ASSERT_EQ(sheet().rows(), 4);
        prompts.clearShown();
        engine.clearLog();
    }

    QString caption() { return window().windowTitle(); }
    QString totalTime() { return control<QLabel>("lbl_time2")->text(); }
    int barMaximum() { return control<QScrollBar>("timebar")->maximum(); }

    const QStringList loadedSong{QStringLiteral("[00:01:00]|はじめの行"), QStringLiteral("|二行目"),
                                 QStringLiteral("[00:03:50]|三行目")};
    QTemporaryDir dir;
    QString music;
    QString lyrics;
};

TEST_F(FileCommandsTest, OpenThenYesOpensTheTrackAndLoadsTheSameNamedLyrics)
{
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);

    EXPECT_EQ(prompts.shown(), (QStringList{QStringLiteral("open"),
                                            QStringLiteral("question: [ song.txt ] をＬＯＡＤしますか？")}));
    const FileDialogSettings& dialog = prompts.openDialogs().at(0);
    EXPECT_EQ(dialog.filterIndex, 1);
    EXPECT_EQ(dialog.filter, FileDialogFilter);
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_close", "vbmp3_open", "vbmp3_getFileInfo2",
                                     "vbmp3_setLyricsFile"}));
    EXPECT_EQ(engine.callsNamed("vbmp3_open").at(0).path, music);
    EXPECT_EQ(engine.callsNamed("vbmp3_setLyricsFile").at(0).path, lyrics);

    EXPECT_EQ(caption(), QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_EQ(totalTime(), QStringLiteral("Time 03:05:00"));
    EXPECT_EQ(barMaximum(), 185);
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(sheet().row(), 1);
    const ProgramState& state = window().programState();
    EXPECT_EQ(state.SelectedPath, music);
    EXPECT_EQ(state.LyricsPath, lyrics);
    EXPECT_EQ(state.StampRow, 0);
    EXPECT_EQ(sheet().document().lineCount(), 3);
}

TEST_F(FileCommandsTest, CancelledOpenLeavesTrackSheetAndLabelsAsTheyWere)
{
    openSongWithLyrics();
    sheet().setRow(3);
    window().programState().StampRow = 2;
    lyricLabel(2)->setText(QStringLiteral("二行目"));

    prompts.queueOpenCancel();
    clickToolbar(CommandKey::Open);

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("open")});
    EXPECT_EQ(engine.calls(), Calls{"vbmp3_getState"});
    EXPECT_EQ(caption(), QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_EQ(totalTime(), QStringLiteral("Time 03:05:00"));
    EXPECT_EQ(barMaximum(), 185);
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(sheet().row(), 3);
    EXPECT_EQ(lyricLabel(2)->text(), QStringLiteral("二行目"));
    const ProgramState& state = window().programState();
    EXPECT_EQ(state.StampRow, 2);
    EXPECT_EQ(state.SelectedPath, ErrorCancel);
    EXPECT_TRUE(state.LyricsPath.isEmpty()) << "a cancelled open dialog forgets the lyrics file";
}

TEST_F(FileCommandsTest, OpenErrorStillOffersTheLyrics)
{
    engine.queueResult("vbmp3_open", 0);
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);

    EXPECT_EQ(prompts.shown(),
              (QStringList{QStringLiteral("open"), QStringLiteral("message: Open Error"),
                           QStringLiteral("question: [ song.txt ] をＬＯＡＤしますか？")}));
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_close", "vbmp3_open", "vbmp3_setLyricsFile"}));
    EXPECT_EQ(caption(), QStringLiteral("Lyricue"));
    EXPECT_EQ(totalTime(), QStringLiteral("Time 00:00:00"));
    EXPECT_EQ(sheetLines(), loadedSong);
}

TEST_F(FileCommandsTest, LoadLyricsAsksNothingAndOpensTheDialogOnTheLyricsFilter)
{
    openSongWithLyrics();
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    writeCp932(other, QStringList{QStringLiteral("[00:09]短い形"), QString()});

    prompts.queueOpenAccept(other);
    clickToolbar(CommandKey::LoadLyrics);

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("open")});
    const FileDialogSettings& dialog = prompts.openDialogs().at(0);
    EXPECT_EQ(dialog.filterIndex, 2);
    EXPECT_TRUE(dialog.fileName.isEmpty());
    EXPECT_EQ(engine.callTexts(), (Calls{"vbmp3_getState()", "vbmp3_setLyricsFile(" + other.toStdString() + ")"}));
    EXPECT_EQ(sheetLines(), (QStringList{QStringLiteral("[00:09]|短い形"), QStringLiteral("|")}));
    EXPECT_EQ(window().programState().SelectedPath, other);
    EXPECT_EQ(window().programState().LyricsPath, other);
    EXPECT_EQ(caption(), QStringLiteral("佐藤一郎 // 秋の空")) << "the track stays open";

    prompts.queueOpenCancel();
    clickToolbar(CommandKey::Open);
    EXPECT_EQ(prompts.openDialogs().at(1).filterIndex, 1) << "読込 preselects the music files again";
}

TEST_F(FileCommandsTest, CancelledLoadLyricsLeavesTheSheet)
{
    openSongWithLyrics();
    prompts.queueOpenCancel();
    clickToolbar(CommandKey::LoadLyrics);

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("open")});
    EXPECT_EQ(engine.calls(), Calls{"vbmp3_getState"});
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(window().programState().SelectedPath, ErrorCancel);
    EXPECT_TRUE(window().programState().LyricsPath.isEmpty());
}

TEST_F(FileCommandsTest, WhilePausedOpenRunsAndThePlayClockStaysOff)
{
    engine.setState(EnginePaused, 12);
    ASSERT_FALSE(playTimer().isActive());
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerCancel);
    clickToolbar(CommandKey::Open);

    EXPECT_EQ(prompts.shown(), (QStringList{QStringLiteral("open"),
                                            QStringLiteral("question: [ song.txt ] をＬＯＡＤしますか？")}));
    EXPECT_EQ(engine.calls(), (Calls{"vbmp3_getState", "vbmp3_close", "vbmp3_open", "vbmp3_getFileInfo2"}));
    EXPECT_EQ(caption(), QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_FALSE(playTimer().isActive());
}

struct RunningCase {
    const QString* key;
    std::int32_t state;
    const char16_t* firstShown;  // %1 stands for the lyrics file's path
};

void PrintTo(const RunningCase& c, std::ostream* out)
{
    *out << c.key->toStdString() << " in state " << c.state;
}

class NotPlaying : public FileCommandsTest, public ::testing::WithParamInterface<RunningCase> {};

TEST_P(NotPlaying, FileCommandsRunWhileStoppedOrPaused)
{
    openSongWithLyrics();
    engine.setState(GetParam().state, 3);
    prompts.queueOpenCancel();
    prompts.queueSaveCancel();
    clickToolbar(*GetParam().key);
    prompts.clearScript();
    ASSERT_FALSE(prompts.shown().isEmpty());
    EXPECT_EQ(prompts.shown().front(), QString::fromUtf16(GetParam().firstShown).arg(lyrics));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NotPlaying,
    ::testing::Values(RunningCase{&CommandKey::Open, EngineStopped, u"open"},
                      RunningCase{&CommandKey::LoadLyrics, EnginePaused, u"open"},
                      RunningCase{&CommandKey::LoadLyrics, EngineStopped, u"open"},
                      RunningCase{&CommandKey::SaveLyrics, EnginePaused, u"save"},
                      RunningCase{&CommandKey::SaveLyrics, EngineStopped, u"save"},
                      RunningCase{&CommandKey::SaveAndLoad, EnginePaused, u"message: %1を Save & Load しました"},
                      RunningCase{&CommandKey::SaveAndLoad, EngineStopped, u"message: %1を Save & Load しました"}));

}  // namespace
