// Tap-along calibration through the window: the click on the engine's manual output,
// the offset shown and kept, and the stamps that take it off.
#include "../platform/engine_render.h"
#include "calibration_dialog.h"
#include "click_track.h"
#include "play_time_text.h"
#include "stamp_offset.h"
#include "test_data.h"
#include "window_fixture.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

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
    static QPushButton& startButton(CalibrationDialog& dialog)
    {
        return *dialog.findChild<QPushButton*>(QStringLiteral("start"));
    }
    // Until the dialog has seen the click end.
    static void waitForTheEnd(CalibrationDialog& dialog)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isRunning(); }, 60000));
    }
};

TEST_F(CalibrationTest, TapsAtAKnownDelayOnTheManualOutputBecomeTheOffsetThatStampsTakeOff)
{
    Mp3Engine real(Mp3Engine::Output::Manual);
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

    constexpr double kDelayMs = 87;
    const std::vector<double> clicks = ClickTrack().clickTimesMs();
    std::optional<double> measured;
    std::int64_t cueStart = 0;  // the frame of `heard` where the play clock put the click's start
    calibrate(window, [&](CalibrationDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("start")), Qt::LeftButton);
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
        waitForTheEnd(dialog);
        measured = dialog.measuredMs();
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
    EXPECT_EQ(stamp_offset::load(), 87);
    EXPECT_EQ(calibrateItem(window).text(), QStringLiteral("タイミング補正… (+87 ms)"));

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
        EXPECT_EQ(stamped->cellAt(LineTagIndex(*stamped, line)), u'[' + playTimeTextForMs(at - 87) + u']');
    }
    EXPECT_TRUE(prompts.shown().isEmpty());
}

// Taps at `offsetsMs` (in turn) after each click, or at a steady interval from the first click.
struct RunCase {
    const char* name;
    std::vector<double> offsetsMs;
    double intervalMs;
    std::optional<int> offset;  // what the run puts into the box; nothing for a refused run
    const char* result;         // what the line under the taps says
};

class CalibrationRunTest : public CalibrationTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(CalibrationRunTest, FillsTheOffsetOnlyFromTapsThatFollowTheClicks)
{
    const RunCase& c = GetParam();
    const std::vector<double> clicks = ClickTrack().clickTimesMs();
    std::vector<double> taps;
    for (std::size_t click = 0; click < clicks.size() && !c.offsetsMs.empty(); ++click)
        taps.push_back(clicks[click] + c.offsetsMs[click % c.offsetsMs.size()]);
    for (double at = clicks.front(); c.intervalMs > 0 && at < clicks.back() + 500; at += c.intervalMs)
        taps.push_back(at);

    stamp_offset::save(35);
    Mp3Engine output(Mp3Engine::Output::Manual);
    MainWindow window(output, prompts);
    window.setCuePlayer(&output);
    calibrate(window, [&](CalibrationDialog& dialog) {
        QTest::mouseClick(&startButton(dialog), Qt::LeftButton);
        for (const double at : taps) {
            const std::optional<double> heard = output.cueHeardMs();
            ASSERT_TRUE(heard.has_value()) << at;
            const auto frames = std::llround((at - *heard) * ClickTrack::kRate / 1000);
            engine_render::renderFrames(output, int(std::max<long long>(frames, 0)), 512);
            QTest::keyClick(&dialog, Qt::Key_Space);
        }
        for (int second = 0; second < 60 && output.cueHeardMs(); ++second)
            engine_render::renderFrames(output, ClickTrack::kRate, 512);
        waitForTheEnd(dialog);

        EXPECT_EQ(startButton(dialog).text(), QStringLiteral("もう一度"));
        const QString result = dialog.findChild<QLabel*>(QStringLiteral("result"))->text();
        EXPECT_TRUE(result.startsWith(QString::fromUtf8(c.result))) << result.toStdString();
        const QString status = dialog.findChild<QLabel*>(QStringLiteral("status"))->text();
        if (c.offset) {
            ASSERT_TRUE(dialog.measuredMs().has_value());
            EXPECT_NEAR(*dialog.measuredMs(), *c.offset, 1.0);
            EXPECT_TRUE(status.contains(QStringLiteral("中央値を補正値にしました"))) << status.toStdString();
        } else {
            EXPECT_FALSE(dialog.measuredMs().has_value());
            EXPECT_TRUE(status.contains(QStringLiteral("「もう一度」"))) << status.toStdString();
        }
        EXPECT_EQ(offsetBox(dialog).value(), c.offset.value_or(35));
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(stamp_offset::load(), c.offset.value_or(35));
    EXPECT_TRUE(prompts.shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CalibrationRunTest,
    ::testing::Values(RunCase{"BluetoothLateBy600", {600, 570, 630}, 0, 600, "中央値 +600 ms"},
                      RunCase{"AheadBy220", {-220, -250, -190}, 0, -220, "中央値 -220 ms"},
                      RunCase{"SteadyAtTwoThirdsOfTheTempo", {}, ClickTrack().beatMs() * 3 / 2, std::nullopt,
                              "クリックに合った打鍵が"},
                      RunCase{"SteadyAtTwiceTheTempo", {}, ClickTrack().beatMs() / 2, std::nullopt,
                              "クリックに合わない打鍵が"},
                      RunCase{"ScatteredOver300Ms", {-100, 200, 50}, 0, std::nullopt, "打鍵のずれがばらつきすぎています"}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

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
    Mp3Engine cues(Mp3Engine::Output::Manual);
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
