// The whole road over the real engine on SDL's dummy driver: open a track with its
// lyrics, play, stamp three lines, Save & Load, play again and watch the labels.
#include "text/ansi_text.h"
#include "support/test_files.h"
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "display/lyrics_display.h"
#include "display/wipe_label.h"
#include "document/lyrics_document.h"
#include "timeline/timeline_panel.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/real_window.h"
#include "shell/qt_printers.h"
#include "shell/road_helpers.h"
#include "support/scripted_prompts.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <array>

namespace lyricue {

namespace {

class EndToEnd : public ::testing::Test {
protected:
    void clickToolbar(const QString& key) { clickToolbarButton(window, key); }

    std::array<QString, 5> labelTexts() const
    {
        std::array<QString, 5> texts;
        for (QLabel* label : window.findChildren<QLabel*>(QStringLiteral("Lbl_1")))
            texts.at(label->property("index").toInt()) = label->text();
        return texts;
    }

    std::array<QString, 5> engineLines()
    {
        LyricsLinesRecord record{};
        engine.vbmp3_getLyrics(record);
        return lyricsLabelTexts(record);
    }

    PlaybackEngine engine{PlaybackEngine::Output::Device};
    ScriptedPrompts prompts;
    MainWindow window{engine, prompts};
};

TEST_F(EndToEnd, StampedTagsAreSavedAndTheLabelsFollowThemOnTheNextPlay)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString music = dir.filePath(QStringLiteral("song.mp3"));
    const QString lyrics = dir.filePath(QStringLiteral("song.txt"));
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("tone_xing.mp3")), music));
    const std::vector<FileLine> original = {
        {"[00:00:00]", cp932(u"はじめの行～")},  // ～ is 81 60 and must come back as that
        {"[00:00:50]", cp932(u"二行目")},
        {"", cp932(u"三行目 end")},
        {"[01:00]", cp932(u"四行目 短い形")},
        {"", ""},
        {"", cp932(u"最後の行")},
    };
    {
        writeTestFile(lyrics, fileBytes(original));
    }

    ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));

    // "読込": the track and, answering Yes, its same-named lyrics.
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);
    ASSERT_EQ(prompts.shown(), (QStringList{QStringLiteral("open"),
                                            QStringLiteral("question: [ song.txt ] をＬＯＡＤしますか？")}));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lbl_time2"))->text(), QStringLiteral("Time 00:03:00"));
    EXPECT_EQ(window.findChild<QScrollBar*>(QStringLiteral("timebar"))->maximum(), 3);
    ASSERT_EQ(sheet->rows(), 7);
    EXPECT_EQ(CellText(*sheet, 3, 1), QStringLiteral("三行目 end"));

    // "再生" and three stamps with the space bar on the focused Time Input button.
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(QApplication::focusWidget(), window.findChild<QWidget*>(QStringLiteral("Cmd_TimeIn")));
    for (int stamp = 0; stamp < 3; ++stamp) {
        QTest::qWait(300);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    std::int32_t seconds = 0;
    ASSERT_EQ(engine.vbmp3_getState(seconds), EnginePlaying) << "the 3 s track ended before the last stamp";
    clickToolbar(CommandKey::Stop);

    std::vector<int> stampedMs;
    std::vector<FileLine> expected = original;
    for (int line = 0; line < 3; ++line) {
        const QString tag = sheet->cellAt(LineTagIndex(*sheet, line));
        const int ms = tagMs(tag);
        ASSERT_GT(ms, stampedMs.empty() ? -1 : stampedMs.back()) << "line " << line << ": " << tag.toStdString();
        stampedMs.push_back(ms);
        expected[line].tag = tag.toLatin1();
    }
    ASSERT_LT(stampedMs.back(), 3000);

    // "再読込": written in place and handed to the engine.
    clickToolbar(CommandKey::SaveAndLoad);
    EXPECT_EQ(prompts.messages(), QStringList{lyrics + QStringLiteral("を Save & Load しました")});
    QFile saved(lyrics);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), fileBytes(expected));

    // "再生" again; once the first stamped line has been reached and the play clock
    // has ticked a while, hold the position so that labels and engine can be compared.
    clickToolbar(CommandKey::Play);
    QElapsedTimer played;
    played.start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return played.elapsed() >= 600 && engine.vbmp3_getWinampPlayMs() >= stampedMs[0] + 150; }, 2500));
    ASSERT_EQ(engine.vbmp3_pause(), 1);
    const std::int32_t heldMs = engine.vbmp3_getWinampPlayMs();
    // The play clock still ticks (only the engine was paused): wait for a tick at the held position.
    EXPECT_TRUE(QTest::qWaitFor([&] { return labelTexts() == engineLines(); }, 2000));
    EXPECT_EQ(labelTexts(), engineLines());

    int current = 0;
    while (current + 1 < 3 && stampedMs[current + 1] <= heldMs)
        ++current;
    const QString middle = labelTexts()[2];
    EXPECT_EQ(middle, decodeCp932(original[current].text)) << "held at " << heldMs << " ms";
    // Top to bottom in time order: the line before above the middle, the next one below.
    EXPECT_EQ(labelTexts()[1], current > 0 ? decodeCp932(original[current - 1].text) : QString());
    EXPECT_EQ(labelTexts()[3], decodeCp932(original[current + 1].text));

    clickToolbar(CommandKey::Stop);
    window.close();
}

// The way a user works: the lyrics picked in the dialog, five stamps, one line
// stamped again, one text corrected, saved under a new name, then Save & Load.
TEST_F(EndToEnd, WholeRoadFromPickedLyricsToTheSavedFileAndTheLabels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString music = dir.filePath(QStringLiteral("track.mp3"));
    const QString picked = dir.filePath(QStringLiteral("picked lyrics.txt"));
    const QString savedAs = dir.filePath(QStringLiteral("timed.txt"));
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("tone_xing.mp3")), music));
    std::vector<FileLine> lines = {
        {"", cp932(u"一行目")},
        {"", cp932(u"二行目")},
        {"", cp932(u"三行目")},
        {"", QByteArray("bad \x85\x40 byte")},  // not CP932: must come back unchanged
        {"", cp932(u"五行目 まちがい")},
        {"", cp932(u"六行目")},
    };
    {
        writeTestFile(picked, fileBytes(lines));
    }
    ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));

    // "読込", answer No and pick the lyrics file in the dialog.
    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerNo);
    prompts.queueOpenAccept(picked);
    clickToolbar(CommandKey::Open);
    ASSERT_EQ(sheet->rows(), 7);
    EXPECT_EQ(window.document().LyricsPath(), picked);

    // Play and stamp five lines with the space bar.
    clickToolbar(CommandKey::Play);
    for (int stamp = 0; stamp < 5; ++stamp) {
        QTest::qWait(150);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    // Line 2 again: click its tag cell, then press Time Input.
    const QModelIndex lineTwoTag = sheet->model()->index(2, 0);
    QTest::mouseClick(sheet->viewport(), Qt::LeftButton, {}, sheet->visualRect(lineTwoTag).center());
    EXPECT_EQ(window.document().StampRow(), 2);
    QTest::qWait(150);
    const std::int32_t beforeRestamp = engine.vbmp3_getWinampPlayMs();
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn")), Qt::LeftButton);
    const std::int32_t afterRestamp = engine.vbmp3_getWinampPlayMs();
    std::int32_t seconds = 0;
    ASSERT_EQ(engine.vbmp3_getState(seconds), EnginePlaying) << "the 3 s track ended before the last stamp";
    clickToolbar(CommandKey::Stop);

    // Correct line 4's text in Grid_Txt.
    const QModelIndex lineFourText = sheet->model()->index(4, 1);
    QTest::mouseClick(sheet->viewport(), Qt::LeftButton, {}, sheet->visualRect(lineFourText).center());
    auto* textBox = window.findChild<QLineEdit*>(QStringLiteral("Grid_Txt"));
    ASSERT_EQ(QApplication::focusWidget(), textBox);
    textBox->end(false);
    for (int erase = 0; erase < 4; ++erase)  // "まちがい"
        QTest::keyClick(textBox, Qt::Key_Backspace);
    QTest::keyClicks(textBox, QStringLiteral("fixed"));

    std::vector<int> tagTimes;
    for (int line = 0; line < 5; ++line) {
        const QString tag = sheet->cellAt(LineTagIndex(*sheet, line));
        tagTimes.push_back(tagMs(tag));
        ASSERT_GE(tagTimes.back(), 0) << "line " << line << ": " << tag.toStdString();
        lines[static_cast<std::size_t>(line)].tag = tag.toLatin1();
    }
    EXPECT_GE(tagTimes[2] + 10, beforeRestamp / 10 * 10);
    EXPECT_LE(tagTimes[2], afterRestamp);
    EXPECT_GT(tagTimes[2], tagTimes[4]);  // the second stamp of line 2 came last
    lines[4].text = cp932(u"五行目 fixed");

    // "歌詞保存" under a new name, then "再読込" writes there and hands it to the engine.
    prompts.queueSaveAccept(savedAs);
    clickToolbar(CommandKey::SaveLyrics);
    EXPECT_EQ(prompts.saveDialogs().back().fileName, picked);
    clickToolbar(CommandKey::SaveAndLoad);
    EXPECT_EQ(prompts.messages(), (QStringList{savedAs + QStringLiteral("を保存しました"),
                                               savedAs + QStringLiteral("を Save & Load しました")}));
    QFile saved(savedAs);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), fileBytes(lines));
    QFile untouched(picked);
    ASSERT_TRUE(untouched.open(QIODevice::ReadOnly));
    EXPECT_EQ(untouched.readAll().count("\r\n"), 6);
    EXPECT_FALSE(untouched.readAll().contains('['));

    // Play again: the labels show the engine's lines of the saved file.
    clickToolbar(CommandKey::Play);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.vbmp3_getWinampPlayMs() >= tagTimes[0] + 400; }, 2500));
    ASSERT_EQ(engine.vbmp3_pause(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return labelTexts() == engineLines(); }, 2000));
    EXPECT_FALSE(labelTexts()[2].isEmpty());
    clickToolbar(CommandKey::Stop);
    window.close();
}

}  // namespace

}  // namespace lyricue

namespace lyricue {

namespace {

// Karaoke over the real engine: a Japanese song timed kana by kana while it plays, the
// wipe following on the next play, one segment fixed on the timeline, undo, the file
// saved and loaded again, and enhanced LRC out and back in.
TEST_F(EndToEnd, WordByWordTimingFromStampsToTheWipeTheFileAndLrc)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString music = dir.filePath(QStringLiteral("song.mp3"));
    const QString lyrics = dir.filePath(QStringLiteral("song.txt"));
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("tone_xing.mp3")), music));
    writeTestFile(lyrics, cp932(u"夜明け\r\n空\r\n"));
    ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
    const LyricsDocument& document = window.document();
    const auto action = [&](const char* name) { return window.findChild<QAction*>(QLatin1String(name)); };

    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);
    ASSERT_EQ(document.line(0).text, u"夜明け"_qs);
    QTest::keyClick(window.windowHandle(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(action("segment_timing")->isChecked());

    // Four presses of the space bar, each once the track has moved on 0.4 s: 夜, 明, け, 空.
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(QApplication::focusWidget(), window.findChild<QWidget*>(QStringLiteral("Cmd_TimeIn")));
    for (int press = 1; press <= 4; ++press) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.vbmp3_getWinampPlayMs() >= press * 400; }, 5000));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    clickToolbar(CommandKey::Stop);
    std::vector<qint64> times;
    for (const SegmentRef segment : {SegmentRef{0, 0}, SegmentRef{0, 1}, SegmentRef{0, 2}, SegmentRef{1, 0}}) {
        const std::optional<qint64> ms = document.segmentMs(segment);
        ASSERT_TRUE(ms) << "segment " << segment.segment << " of line " << segment.line;
        ASSERT_GE(*ms, times.empty() ? 0 : times.back() + 300);
        times.push_back(*ms);
    }
    ASSERT_LT(times.back(), 3000) << "the 3 s track ended before the last stamp";
    EXPECT_EQ(CellText(*sheet, 1, 1), document.line(0).text);  // the box's text keeps its tags...
    EXPECT_EQ(sheet->model()->index(0, 1).data().toString(), u"夜明け"_qs);  // ...the sheet shows it sung

    // Save & Load, then play again and hold inside 明: the wipe stands inside the line.
    clickToolbar(CommandKey::SaveAndLoad);
    const QByteArray saved = readTestFile(lyrics);
    EXPECT_TRUE(saved.startsWith(encodeCp932(document.line(0).tag + document.line(0).text).bytes));
    clickToolbar(CommandKey::Play);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.vbmp3_getWinampPlayMs() >= times[1] + 50; }, 5000));
    ASSERT_EQ(engine.vbmp3_pause(), 1);
    WipeLabel* wipe = nullptr;
    for (QLabel* label : window.findChildren<QLabel*>(QStringLiteral("Lbl_1")))
        if (label->property("index").toInt() == 2)
            wipe = dynamic_cast<WipeLabel*>(label);
    ASSERT_NE(wipe, nullptr);
    const qint64 heldMs = engine.vbmp3_getWinampPlayMs();
    if (heldMs < times[3]) {  // still on the first line (a loaded machine may hold it later)
        EXPECT_TRUE(QTest::qWaitFor([&] { return wipe->sungExtent().value_or(0) > 1; }, 3000));
        EXPECT_LT(wipe->sungExtent().value_or(3), 3);
    }
    clickToolbar(CommandKey::Stop);

    // The timeline: 明's mark dragged 0.1 s later, taken back, and dragged again.
    ASSERT_NE(action("timeline_shown"), nullptr);
    action("timeline_shown")->trigger();
    TimelinePanel* panel = window.timelinePanel();
    ASSERT_TRUE(panel && panel->isVisible());
    const auto xOf = [&](qint64 ms) { return static_cast<int>(panel->timeWindow().xOf(ms, panel->width())); };
    const auto drag = [&](qint64 fromMs, qint64 toMs) {
        for (const auto& [type, ms] : {std::pair{QEvent::MouseButtonPress, fromMs}, std::pair{QEvent::MouseMove, toMs},
                                       std::pair{QEvent::MouseButtonRelease, toMs}}) {
            const QPointF at(xOf(ms), panel->height() - 4);
            QMouseEvent event(type, at, panel->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(panel, &event);
        }
    };
    const LyricLine stamped = document.line(0);
    drag(times[1], times[1] + 100);
    EXPECT_NEAR(static_cast<double>(document.segmentMs({0, 1}).value_or(0)), static_cast<double>(times[1] + 100), 30);
    action("undo")->trigger();
    EXPECT_EQ(document.line(0), stamped);
    drag(times[1], times[1] + 100);
    const LyricLine fixed = document.line(0);
    ASSERT_NE(fixed, stamped);

    // Saved, loaded again: the same line, byte for byte in the file.
    clickToolbar(CommandKey::SaveAndLoad);
    EXPECT_EQ(readTestFile(lyrics), encodeCp932(fixed.tag + fixed.text + u"\r\n"_qs + document.line(1).tag +
                                                u"空\r\n"_qs).bytes);
    prompts.queueOpenAccept(lyrics);
    clickToolbar(CommandKey::LoadLyrics);
    EXPECT_EQ(document.line(0), fixed);

    // Enhanced LRC out and back in: the same segments.
    const QString lrc = dir.filePath(QStringLiteral("song.lrc"));
    prompts.queueSaveAccept(lrc);
    action("export_lrc")->trigger();
    EXPECT_TRUE(readTestFile(lrc).contains("<"));
    prompts.queueOpenAccept(lrc);
    action("import_lrc")->trigger();
    EXPECT_EQ(document.line(0), fixed);
    window.close();
}

}  // namespace

}  // namespace lyricue
