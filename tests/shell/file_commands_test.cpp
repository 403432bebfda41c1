// The file commands "読込", "歌詞読込", "歌詞保存" and "再読込" from the toolbar.
#include "text/ansi_text.h"
#include "support/test_files.h"
#include "shell/command_keys.h"
#include "shell/file_dialogs.h"
#include "text/record_text.h"
#include "shell/window_fixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <ostream>

namespace lyricue {

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
        writeTestFile(path, bytes);
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
    EXPECT_EQ(window().fileCommands().SelectedPath(), music);
    EXPECT_EQ(window().document().LyricsPath(), lyrics);
    EXPECT_EQ(window().document().StampRow(), 0);
    EXPECT_EQ(sheet().document().LineCount(), 3);
}

TEST_F(FileCommandsTest, CancelledOpenLeavesTrackSheetAndLabelsAsTheyWere)
{
    openSongWithLyrics();
    sheet().setRow(3);
    window().document().setStampRow(2);
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
    EXPECT_EQ(window().document().StampRow(), 2);
    EXPECT_EQ(window().fileCommands().SelectedPath(), ErrorCancel);
    EXPECT_EQ(window().document().LyricsPath(), lyrics) << "the lines did not change, so neither did their file";
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
    EXPECT_EQ(window().fileCommands().SelectedPath(), other);
    EXPECT_EQ(window().document().LyricsPath(), other);
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
    EXPECT_EQ(window().fileCommands().SelectedPath(), ErrorCancel);
    EXPECT_EQ(window().document().LyricsPath(), lyrics);
}

TEST_F(FileCommandsTest, SaveCommandsAfterACancelledLoadStillSaveTheStampedLines)
{
    openSongWithLyrics();
    engine.setPlayMs(12'340);
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    prompts.queueOpenCancel();
    clickToolbar(CommandKey::LoadLyrics);  // the user changes their mind

    prompts.queueSaveAccept(lyrics);
    clickToolbar(CommandKey::SaveLyrics);
    EXPECT_EQ(prompts.saveDialogs().at(0).fileName, lyrics);
    prompts.queueSaveCancel();
    clickToolbar(CommandKey::SaveLyrics);
    clickToolbar(CommandKey::SaveAndLoad);  // after a cancelled save dialog, too

    QFile saved(lyrics);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("[00:12:34]")) << "the stamp is in the file";
    EXPECT_EQ(prompts.messages(),
              (QStringList{lyrics + QStringLiteral("を保存しました"), lyrics + QStringLiteral("を Save & Load しました")}));
}

TEST_F(FileCommandsTest, SectionLabelsStayLyricsThroughAStampASaveAndALoad)
{
    writeCp932(lyrics, std::array{QStringLiteral("[Intro]"), QStringLiteral("[Chorus 1] ラララ"),
                                  QStringLiteral("[00:20:00][Verse]")});
    openSongWithLyrics();
    for (const int ms : {1'000, 12'340}) {
        engine.setPlayMs(ms);
        QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    }
    clickToolbar(CommandKey::SaveAndLoad);

    QFile saved(lyrics);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeCp932(saved.readAll()),
              QStringLiteral("[00:01:00][Intro]\r\n[00:12:34][Chorus 1] ラララ\r\n[00:20:00][Verse]\r\n"));
    saved.close();
    prompts.queueAnswer(AnswerYes);
    window().openGivenFile(music);
    EXPECT_EQ(sheetLines(), (QStringList{QStringLiteral("[00:01:00]|[Intro]"), QStringLiteral("[00:12:34]|[Chorus 1] ラララ"),
                                         QStringLiteral("[00:20:00]|[Verse]")}));
}

TEST_F(FileCommandsTest, UndoingALoadGivesTheEngineItsEarlierLyricsFile)
{
    openSongWithLyrics();
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    writeCp932(other, std::array{QStringLiteral("[00:02:00]別の歌")});
    prompts.queueOpenAccept(other);
    clickToolbar(CommandKey::LoadLyrics);
    engine.clearLog();

    QTest::keyClick(window().windowHandle(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(sheetLines(), loadedSong);
    QTest::keyClick(window().windowHandle(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(sheetLines(), QStringList{QStringLiteral("[00:02:00]|別の歌")});
    EXPECT_EQ(engine.callTexts(), (Calls{"vbmp3_setLyricsFile(" + lyrics.toStdString() + ")",
                                         "vbmp3_setLyricsFile(" + other.toStdString() + ")"}));
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

// A file dropped on the window, or named on the command line (which goes the same way).
class GivenFileTest : public FileCommandsTest {
protected:
    static QMimeData* filesData(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }

    // Drags the files in and drops them; true when the window took the drag.
    bool drop(const QStringList& paths)
    {
        EXPECT_TRUE(window().acceptDrops());
        const std::unique_ptr<QMimeData> data(filesData(paths));
        const QPoint at = window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &dropped);
        QCoreApplication::processEvents();
        return true;
    }
};

TEST_F(GivenFileTest, ADroppedTrackOpensAndOffersItsLyricsAsOpenDoes)
{
    prompts.queueAnswer(AnswerYes);
    ASSERT_TRUE(drop({music}));

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("question: [ song.txt ] をＬＯＡＤしますか？")});
    EXPECT_EQ(engine.callsNamed("vbmp3_open").at(0).path, music);
    EXPECT_EQ(engine.callsNamed("vbmp3_setLyricsFile").at(0).path, lyrics);
    EXPECT_EQ(caption(), QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(window().fileCommands().SelectedPath(), music);
    EXPECT_EQ(window().document().trackPath(), music);
}

TEST_F(GivenFileTest, ADroppedLyricsFileLoadsWithoutADialog)
{
    ASSERT_TRUE(drop({lyrics}));

    EXPECT_TRUE(prompts.shown().isEmpty()) << prompts.shown().join(u'/').toStdString();
    EXPECT_TRUE(engine.callsNamed("vbmp3_open").empty());
    EXPECT_EQ(engine.callsNamed("vbmp3_setLyricsFile").at(0).path, lyrics);
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(window().document().LyricsPath(), lyrics);
}

TEST_F(GivenFileTest, ADropWhilePlayingIsRefusedAndChangesNothing)
{
    openSongWithLyrics();
    engine.setState(EnginePlaying, 3);
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    writeCp932(other, std::array{QStringLiteral("別の歌")});

    ASSERT_TRUE(drop({other}));

    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: ＭＰ３再生中は実行できません")});
    EXPECT_EQ(sheetLines(), loadedSong);
    EXPECT_EQ(window().document().LyricsPath(), lyrics);
}

TEST_F(GivenFileTest, OnlyASingleLocalFileIsTaken)
{
    EXPECT_FALSE(drop({music, lyrics}));
    auto* text = new QMimeData;
    text->setText(QStringLiteral("[00:01:00]はじめの行"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    delete text;
    EXPECT_TRUE(engine.calls().empty());
}

TEST_F(GivenFileTest, AnUnplayableTrackGetsTheUsualMessageAndTheWindowRunsOn)
{
    engine.queueResult("vbmp3_open", 0);
    prompts.queueAnswer(AnswerCancel);
    window().openGivenFile(dir.filePath(QStringLiteral("missing.mp3")));

    EXPECT_EQ(prompts.shown(), (QStringList{QStringLiteral("message: Open Error"),
                                            QStringLiteral("question: [ missing.txt ] をＬＯＡＤしますか？")}));
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(engine.callsNamed("vbmp3_setLyricsFile").empty());
}

}  // namespace

}  // namespace lyricue
