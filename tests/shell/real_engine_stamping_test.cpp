// The window over the real engine, playing through SDL's dummy driver.
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/qt_printers.h"
#include "support/scripted_prompts.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace lyricue {

namespace {

// "[mm:ss:xx]" as hundredths of a second; -1 for anything else.
int tagHundredths(const QString& tag)
{
    static const QRegularExpression form(QStringLiteral("^\\[(\\d\\d):(\\d\\d):(\\d\\d)\\]$"));
    const QRegularExpressionMatch match = form.match(tag);
    if (!match.hasMatch())
        return -1;
    return (match.captured(1).toInt() * 60 + match.captured(2).toInt()) * 100 + match.captured(3).toInt();
}

TEST(RealEngineStamping, EachTagLiesBetweenThePositionsReadAroundItsPress)
{
    PlaybackEngine engine(PlaybackEngine::Output::Device);
    ScriptedPrompts prompts;
    MainWindow window(engine, prompts);
    ASSERT_TRUE(prompts.shown().isEmpty());

    const QString track = testDataPath(QStringLiteral("tone_xing.mp3"));
    TrackOpenRecord info{};
    ASSERT_EQ(engine.vbmp3_open(track, info), 1);
    window.fileCommands().setSelectedPath(track);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QToolButton* play = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->findChild<QToolButton*>(CommandKey::Play);
    ASSERT_NE(play, nullptr);
    QTest::mouseClick(play, Qt::LeftButton);
    QWidget* timeInput = window.findChild<QWidget*>(QStringLiteral("Cmd_TimeIn"));
    ASSERT_EQ(QApplication::focusWidget(), timeInput);
    std::int32_t seconds = 0;
    ASSERT_EQ(engine.vbmp3_getState(seconds), EnginePlaying);

    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
    std::int32_t lastAfter = 0;
    for (int line = 0; line < 3; ++line) {
        SCOPED_TRACE(line);
        QTest::qWait(300);
        const std::int32_t before = engine.vbmp3_getWinampPlayMs();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        const std::int32_t after = engine.vbmp3_getWinampPlayMs();

        const QString tag = sheet->cellAt(LineTagIndex(*sheet, line));
        const int stamped = tagHundredths(tag);
        ASSERT_GE(stamped, 0) << tag.toStdString();
        EXPECT_LE(before / 10, stamped) << tag.toStdString() << " before " << before << " ms";
        EXPECT_LE(stamped, after / 10) << tag.toStdString() << " after " << after << " ms";
        EXPECT_GT(before, lastAfter);  // the track really plays on
        lastAfter = after;
    }
    EXPECT_EQ(sheet->row(), 4);
    EXPECT_EQ(window.document().StampRow(), 3);
    // The play clock ran meanwhile.
    EXPECT_NE(window.findChild<QLabel*>(QStringLiteral("lblTime"))->text(), QStringLiteral("Now 00:00:00"));

    window.close();
    EXPECT_EQ(engine.vbmp3_getState(seconds), EngineStopped);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

}  // namespace

}  // namespace lyricue
