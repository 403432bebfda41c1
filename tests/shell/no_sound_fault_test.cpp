// No sound device at all: SDL is given a driver that does not exist, in a child
// process so that the test process keeps its dummy driver. The window starts over the
// real engine, "再生" and "一時停止" fail without a crash and leave the play clock off,
// and tracks and lyrics still open, stamp and save.
#include "text/ansi_text.h"
#include "support/test_files.h"
#include "audio/playback_engine.h"
#include "shell/child_process.h"
#include "shell/command_keys.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/real_window.h"
#include "support/scripted_prompts.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace lyricue {

namespace {

// The road through the window, each step reported as one line.
void walkWithoutSound(ChildReport& out, const QString& music, const QString& savedAs)
{
    qputenv("SDL_AUDIODRIVER", "no_such_driver");
    PlaybackEngine engine(PlaybackEngine::Output::Device);
    ScriptedPrompts prompts;
    MainWindow window(engine, prompts);
    // Painting hands work to Qt's raster thread pool, whose threads a fork does not copy.
    window.setUpdatesEnabled(false);
    window.show();
    out.report(QStringLiteral("exposed %1").arg(int(QTest::qWaitForWindowExposed(&window))));
    const auto click = [&](const QString& key) { clickToolbarButton(window, key); };
    auto* playClock = window.findChild<QTimer*>(QStringLiteral("Play_timer"));
    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
    const auto state = [&] {
        std::int32_t seconds = 0;
        return engine.vbmp3_getState(seconds);
    };

    prompts.queueOpenAccept(music);
    prompts.queueAnswer(AnswerYes);
    click(CommandKey::Open);
    out.report(window.findChild<QLabel*>(QStringLiteral("lbl_time2"))->text());
    out.report(QStringLiteral("rows %1").arg(sheet->rows()));

    click(CommandKey::Play);
    out.report(QStringLiteral("play: state %1 clock %2").arg(state()).arg(int(playClock->isActive())));
    click(CommandKey::Pause);  // while stopped it plays too
    out.report(QStringLiteral("pause: state %1 clock %2").arg(state()).arg(int(playClock->isActive())));
    QTest::qWait(300);
    out.report(QStringLiteral("position %1 ms").arg(engine.vbmp3_getWinampPlayMs()));

    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn")), Qt::LeftButton);
    out.report(QStringLiteral("stamped ") + sheet->cellAt(LineTagIndex(*sheet, 0)));
    click(CommandKey::SaveAndLoad);
    prompts.queueSaveAccept(savedAs);
    click(CommandKey::SaveLyrics);
    for (const QString& message : prompts.messages())
        out.report(QStringLiteral("message ") + message);
    click(CommandKey::Stop);
    window.close();
    out.report(QStringLiteral("closed: state %1").arg(state()));
}

TEST(NoSoundDevice, WindowStartsPlayingFailsCleanlyAndFilesStillLoadAndSave)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString music = dir.filePath(QStringLiteral("song.mp3"));
    const QString lyrics = dir.filePath(QStringLiteral("song.txt"));
    const QString savedAs = dir.filePath(QStringLiteral("saved.txt"));
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("tone_xing.mp3")), music));
    {
        writeTestFile(lyrics, encodeCp932(u"一行目\r\n二行目\r\n").bytes);
    }

    const ChildOutcome child = runInChild([&](ChildReport& out) { walkWithoutSound(out, music, savedAs); });

    ASSERT_TRUE(child.exited && child.exitCode == 0) << child.describe();
    EXPECT_EQ(child.lines,
              QStringList({QStringLiteral("exposed 1"), QStringLiteral("Time 00:03:00"), QStringLiteral("rows 3"),
                           // "一時停止" while stopped switches the clock on whatever the engine answered.
                           QStringLiteral("play: state 0 clock 0"), QStringLiteral("pause: state 0 clock 1"),
                           QStringLiteral("position 0 ms"), QStringLiteral("stamped [00:00:00]"),
                           QStringLiteral("message ") + lyrics + QStringLiteral("を Save & Load しました"),
                           QStringLiteral("message ") + savedAs + QStringLiteral("を保存しました"),
                           QStringLiteral("closed: state 0")}))
        << child.lines.join(u'\n').toStdString();
    // The reason is given where the engine gives it: in the log, on standard error.
    EXPECT_TRUE(child.errors.contains("lyricue: no sound output:")) << child.errors.toStdString();
    const QByteArray stamped = "[00:00:00]" + encodeCp932(u"一行目\r\n二行目\r\n").bytes;
    EXPECT_EQ(fileContents(lyrics), stamped);
    EXPECT_EQ(fileContents(savedAs), stamped);
}

}  // namespace

}  // namespace lyricue
