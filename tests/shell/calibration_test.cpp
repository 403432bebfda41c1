// Tap-along calibration through the window: the click on the engine's manual output,
// the offset shown and kept, and the stamps that take it off.
#include "audio/engine_render.h"
#include "calibration/calibration_dialog.h"
#include "calibration/click_track.h"
#include "playback/play_time_text.h"
#include "calibration/stamp_offset.h"
#include "support/test_data.h"
#include "shell/window_fixture.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>

#include <functional>
#include <optional>
#include <vector>

namespace lyricue {

namespace {

class CalibrationTest : public WindowTest {
protected:
    void SetUp() override { stamp_offset::save(0); }
    void TearDown() override { stamp_offset::save(0); }

    static QAction& calibrateItem(MainWindow& window)
    {
        return *window.findChild<QAction*>(QStringLiteral("calibrate"));
    }
    QAction& calibrateItem() { return calibrateItem(window()); }

    // Opens the dialog from the menu and runs `use` inside it while it is shown.
    static void calibrate(MainWindow& window, const std::function<void(CalibrationDialog&)>& use)
    {
        bool used = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CalibrationDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            use(*dialog);
            used = true;
            if (dialog->isVisible())
                dialog->reject();  // a failed assertion left it open
        });
        calibrateItem(window).trigger();
        EXPECT_TRUE(used);
    }
    void calibrate(const std::function<void(CalibrationDialog&)>& use) { calibrate(window(), use); }
    static void press(CalibrationDialog& dialog, QDialogButtonBox::StandardButton which)
    {
        dialog.findChild<QDialogButtonBox*>()->button(which)->click();
    }
    static QSpinBox& offsetBox(CalibrationDialog& dialog) { return *dialog.findChild<QSpinBox*>(QStringLiteral("offset")); }
};

// A Bluetooth headset's delay, measured; a run pressed at another tempo then leaves it.
TEST_F(CalibrationTest, TapsAtAKnownDelayOnTheManualOutputBecomeTheOffsetThatStampsTakeOff)
{
    PlaybackEngine real(PlaybackEngine::Output::Manual);
    std::vector<float> heard;  // the left channel of every frame rendered
    auto render = [&](std::int64_t frames) {
        if (frames <= 0)
            return;
        const engine_render::Rendered out = engine_render::renderFrames(real, int(frames), 512);
        for (std::size_t i = 0; i < out.samples.size(); i += 2)
            heard.push_back(out.samples[i]);
    };
    // Until the play clock says the click is heard at `ms`.
    auto renderTo = [&](double ms) {
        render(std::llround((ms - real.cueHeardMs().value_or(ms)) * ClickTrack::kRate / 1000));
    };
    // A track paused half a second in, which the click sets aside and gives back.
    TrackOpenRecord info{};
    ASSERT_EQ(real.vbmp3_open(testDataPath(QStringLiteral("tone_xing.mp3")), info), 1);
    ASSERT_EQ(real.vbmp3_play(), 1);
    render(ClickTrack::kRate / 2);
    ASSERT_EQ(real.vbmp3_pause(), 1);
    const std::int32_t pausedMs = real.vbmp3_getWinampPlayMs();
    heard.clear();
    MainWindow window(real, prompts);
    window.setCuePlayer(&real);

    constexpr double kDelayMs = 600;
    const std::vector<double> clicks = ClickTrack().clickTimesMs();
    std::optional<double> measured;
    std::int64_t cueStart = 0;  // the frame of `heard` where the play clock put the click's start
    calibrate(window, [&](CalibrationDialog& dialog) {
        auto* start = dialog.findChild<QPushButton*>(QStringLiteral("start"));
        QTest::mouseClick(start, Qt::LeftButton);
        render(ClickTrack::kRate / 10);
        cueStart = std::int64_t(heard.size()) - std::llround(*real.cueHeardMs() * ClickTrack::kRate / 1000);
        for (std::size_t click = 0; click < clicks.size(); ++click) {
            if (click == 4)
                continue;  // missed
            renderTo(clicks[click] + kDelayMs);
            QTest::keyClick(&dialog, Qt::Key_Space);
            if (click == 9) {  // and pressed again
                renderTo(clicks[click] + kDelayMs + 60);
                QTest::keyClick(&dialog, Qt::Key_Space);
            }
        }
        render(2 * ClickTrack::kRate);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isRunning(); }, 60000));
        measured = dialog.measuredMs();

        EXPECT_EQ(start->text(), QStringLiteral("もう一度"));
        QTest::mouseClick(start, Qt::LeftButton);
        for (double at = clicks.front(); at < clicks.back(); at += ClickTrack().beatMs() * 3 / 2) {
            renderTo(at);
            QTest::keyClick(&dialog, Qt::Key_Space);
        }
        render(4 * ClickTrack::kRate);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isRunning(); }, 60000));
        EXPECT_FALSE(dialog.measuredMs().has_value());
        const QString result = dialog.findChild<QLabel*>(QStringLiteral("result"))->text();
        EXPECT_TRUE(result.startsWith(QStringLiteral("クリックに合った打鍵が 5 回"))) << result.toStdString();
        EXPECT_EQ(offsetBox(dialog).value(), 600);
        press(dialog, QDialogButtonBox::Ok);
    });

    // The click sounded where the play clock and the analysis put it: silence, then its
    // loudest sample.
    for (const double at : clicks) {
        const auto frame = std::size_t(cueStart + std::llround(at * ClickTrack::kRate / 1000));
        ASSERT_LT(frame, heard.size());
        EXPECT_EQ(heard[frame - 1], 0.0f) << at;
        EXPECT_GT(heard[frame], 0.5f) << at;
    }
    ASSERT_TRUE(measured.has_value());
    EXPECT_NEAR(*measured, kDelayMs, 1.0);
    EXPECT_EQ(stamp_offset::load(), 600);
    EXPECT_EQ(calibrateItem(window).text(), QStringLiteral("タイミング補正… (+600 ms)"));

    std::int32_t seconds = 0;
    EXPECT_EQ(real.vbmp3_getState(seconds), EnginePaused);
    EXPECT_EQ(real.vbmp3_getWinampPlayMs(), pausedMs);
    ASSERT_EQ(real.vbmp3_restart(), 1);
    auto* timeInput = window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn"));
    auto* stamped = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
    for (int line = 0; line < 2; ++line) {
        render(ClickTrack::kRate);
        const std::int32_t at = real.vbmp3_getWinampPlayMs();
        QTest::mouseClick(timeInput, Qt::LeftButton);
        EXPECT_EQ(stamped->cellAt(LineTagIndex(*stamped, line)), u'[' + playTimeTextForMs(at - 600) + u']');
    }
    EXPECT_TRUE(prompts.shown().isEmpty());
}

struct OffsetCase {
    int kept;
    const char* menuText;
    const char* tooltip;
    std::int32_t heardMs;
    const char* tag;
};

class OffsetShownTest : public CalibrationTest, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(OffsetShownTest, OnTheMenuItemAndTheButtonAndInEveryStamp)
{
    const OffsetCase& c = GetParam();
    stamp_offset::save(c.kept);
    engine.setPlayMs(c.heardMs);
    EXPECT_EQ(calibrateItem().text(), QString::fromUtf8(c.menuText));
    EXPECT_EQ(control<QPushButton>("Cmd_TimeIn")->toolTip(), QString::fromUtf8(c.tooltip));
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    EXPECT_EQ(sheet().cellAt(LineTagIndex(sheet(), 0)), QString::fromUtf8(c.tag));
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, OffsetShownTest,
    ::testing::Values(
        OffsetCase{0, "タイミング補正… (0 ms)", "タイミング補正 0 ms：聞こえた位置をそのまま打刻します", 1000, "[00:01:00]"},
        OffsetCase{35, "タイミング補正… (+35 ms)", "タイミング補正 +35 ms：聞こえた位置より 35 ms 早い時刻を打刻します", 61000, "[01:00:96]"},
        OffsetCase{35, "タイミング補正… (+35 ms)", "タイミング補正 +35 ms：聞こえた位置より 35 ms 早い時刻を打刻します", 20, "[00:00:00]"},
        OffsetCase{-20, "タイミング補正… (-20 ms)", "タイミング補正 -20 ms：聞こえた位置より 20 ms 遅い時刻を打刻します", 1000, "[00:01:02]"},
        OffsetCase{5000, "タイミング補正… (+1000 ms)", "タイミング補正 +1000 ms：聞こえた位置より 1000 ms 早い時刻を打刻します", 1500, "[00:00:50]"}));

// The offset is the user's delay in wall time: at half speed the track moves on half as far.
TEST_F(CalibrationTest, SlowedDownAStampTakesOffTheTrackTimeTheOffsetSpans)
{
    stamp_offset::save(100);
    engine.setPlayMs(10000);
    const auto chooseSpeed = [&](int percent) {
        for (QAction* item : control<QMenu>("speed")->actions()) {
            if (item->data().toInt() == percent)
                item->trigger();
        }
    };
    chooseSpeed(50);
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    EXPECT_EQ(sheet().cellAt(LineTagIndex(sheet(), 0)), QStringLiteral("[00:09:95]"));
    chooseSpeed(100);  // the speed is kept in the settings, which the tests after this one share
}

TEST_F(CalibrationTest, ATypedOffsetIsKeptOnOkForgottenOnCancelAndResetToZero)
{
    PlaybackEngine cues(PlaybackEngine::Output::Manual);
    window().setCuePlayer(&cues);
    const auto typeAndPress = [&](const char* typed, const char* button, QDialogButtonBox::StandardButton which) {
        calibrate([&](CalibrationDialog& dialog) {
            if (button)
                QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
            offsetBox(dialog).selectAll();
            QTest::keyClicks(&offsetBox(dialog), QLatin1String(typed));
            press(dialog, which);
        });
    };
    typeAndPress("42", nullptr, QDialogButtonBox::Cancel);
    EXPECT_EQ(stamp_offset::load(), 0);
    typeAndPress("-42", nullptr, QDialogButtonBox::Ok);
    EXPECT_EQ(stamp_offset::load(), -42);
    EXPECT_EQ(calibrateItem().text(), QStringLiteral("タイミング補正… (-42 ms)"));
    typeAndPress("", "reset", QDialogButtonBox::Ok);
    EXPECT_EQ(stamp_offset::load(), 0);
    EXPECT_EQ(calibrateItem().text(), QStringLiteral("タイミング補正… (0 ms)"));
}

TEST_F(CalibrationTest, RefusedWhileMusicPlaysAndWithoutAnOutputForTheClick)
{
    engine.setState(EnginePlaying);
    calibrateItem().trigger();
    engine.setState(EngineStopped);
    calibrateItem().trigger();
    EXPECT_EQ(prompts.messages(), QStringList({QStringLiteral("ＭＰ３再生中は実行できません"),
                                               QStringLiteral("この音声出力ではタイミング補正を行えません")}));
}

}  // namespace

}  // namespace lyricue
