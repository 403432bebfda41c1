// Faults of the music file while it plays, in the window over the real engine: the
// file deleted, cut short, or cut below the paused position. Playback ends cleanly
// with what could be read, and the window goes on to open and play another track.
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "shell/long_track.h"
#include "shell/main_window.h"
#include "shell/real_window.h"
#include "shell/qt_printers.h"
#include "support/scripted_prompts.h"
#include "playback/slider_parts.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <vector>

namespace lyricue {

namespace {

constexpr int kOutputRate = 48000;  // the window asks the engine for 48 kHz output
constexpr int kTrackRate = 44100;   // the fixtures' own rate

class TrackFault : public ::testing::TestWithParam<PlaybackEngine::Output> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
    }

    void TearDown() override { window.close(); }

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void clickToolbar(const QString& key) { clickToolbarButton(window, key); }

    // "読込" of a track, declining its lyrics.
    void openTrack(const QString& track)
    {
        prompts.queueOpenAccept(track);
        prompts.queueAnswer(AnswerCancel);
        clickToolbar(CommandKey::Open);
    }

    std::int32_t state()
    {
        std::int32_t seconds = 0;
        return engine.vbmp3_getState(seconds);
    }

    // One tick of a window timer through its own event, as the event loop would give it.
    void tick(const char* timerName)
    {
        auto* timer = window.findChild<QTimer*>(QLatin1String(timerName));
        ASSERT_NE(timer, nullptr) << timerName;
        ASSERT_TRUE(timer->isActive()) << timerName;
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    }

    // Output frames the track gave for `frames` rendered ones.
    int render(int frames)
    {
        std::vector<float> buffer(2048);
        int fromTrack = 0;
        for (int done = 0; done < frames; done += 1024)
            fromTrack += engine.render(buffer.data(), std::min(1024, frames - done));
        return fromTrack;
    }

    // Renders until the track gives no more (at most `limitSeconds`); the output frames it gave.
    int renderToEnd(int limitSeconds)
    {
        std::vector<float> buffer(2048);
        int fromTrack = 0;
        for (int done = 0; done < limitSeconds * kOutputRate; done += 1024) {
            const int got = engine.render(buffer.data(), 1024);
            fromTrack += got;
            if (got < 1024)
                break;
        }
        return fromTrack;
    }

    static double seconds(int outputFrames) { return double(outputFrames) / kOutputRate; }

    QLabel& totalTime() { return *window.findChild<QLabel*>(QStringLiteral("lbl_time2")); }
    QScrollBar& timebar() { return *window.findChild<QScrollBar*>(QStringLiteral("timebar")); }
    QTimer& playClock() { return *window.findChild<QTimer*>(QStringLiteral("Play_timer")); }

    // The window can still open another track and play it from its start.
    void expectAnotherTrackPlays()
    {
        const QString other = path("other.mp3");
        ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("tone_xing.mp3")), other));
        openTrack(other);
        EXPECT_EQ(totalTime().text(), QStringLiteral("Time 00:03:00"));
        EXPECT_EQ(timebar().maximum(), 3);
        clickToolbar(CommandKey::Play);
        ASSERT_EQ(state(), EnginePlaying);
        EXPECT_TRUE(playClock().isActive());
        if (engine_output() == PlaybackEngine::Output::Manual) {
            EXPECT_EQ(render(kOutputRate), kOutputRate);
            EXPECT_NEAR(engine.playFrame(), kTrackRate, 1);
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return engine.vbmp3_getWinampPlayMs() >= 300; }, 3000));
        }
        clickToolbar(CommandKey::Stop);
        EXPECT_EQ(state(), EngineStopped);
        EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'|').toStdString();
    }

    PlaybackEngine::Output engine_output() const { return GetParam(); }

    QTemporaryDir dir;
    PlaybackEngine engine{GetParam()};
    ScriptedPrompts prompts;
    MainWindow window{engine, prompts};
};

using TrackFaultRendered = TrackFault;

// Rendered by hand, so that how much was heard is exact.
TEST_P(TrackFaultRendered, TrackCutShortPlaysWhatTheFileStillHoldsThenStops)
{
    const QString music = path("long.mp3");
    ASSERT_TRUE(writeRepeatedTone(music, 20));  // 20 x 3.03 s = 60.6 s (whole seconds: 60), 427 kB: more than the read buffer
    openTrack(music);
    ASSERT_EQ(timebar().maximum(), 60);
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(state(), EnginePlaying);
    int heard = render(2 * kOutputRate);

    constexpr int kCutAt = 256 * 1024;
    ASSERT_TRUE(QFile::resize(music, kCutAt));
    heard += renderToEnd(120);

    // Every whole frame up to the cut, and nothing after it.
    EXPECT_NEAR(seconds(heard), double(kCutAt) / kToneBytesPerSecond, 0.1);
    EXPECT_EQ(state(), EngineStopped);
    tick("Timer2");
    tick("Play_timer");
    EXPECT_EQ(timebar().value(), 0);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblTime"))->text(), QStringLiteral("Now 00:00:00"));

    // "再生" again: the engine still holds the cut file and plays it from the start.
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(state(), EnginePlaying);
    EXPECT_NEAR(seconds(renderToEnd(120)), double(kCutAt) / kToneBytesPerSecond, 0.1);
    EXPECT_EQ(state(), EngineStopped);
    clickToolbar(CommandKey::Stop);

    expectAnotherTrackPlays();
}

TEST_P(TrackFaultRendered, DeletedTrackPlaysToItsEndAndCannotBeOpenedAgain)
{
    const QString music = path("short.mp3");
    ASSERT_TRUE(writeRepeatedTone(music, 4));
    const QString intact = path("intact.mp3");
    ASSERT_TRUE(QFile::copy(music, intact));
    TrackTagRecord tags{};
    TrackDetailRecord detail{};
    TrackTextRecord texts{};
    {
        PlaybackEngine probe(PlaybackEngine::Output::Manual);
        ASSERT_EQ(probe.vbmp3_getFileInfo2(intact, tags, detail, texts), 1);
    }
    openTrack(music);
    clickToolbar(CommandKey::Play);
    int heard = render(kOutputRate);
    ASSERT_TRUE(QFile::remove(music));
    heard += renderToEnd(60);

    // The open file outlives its name: the whole track is heard.
    EXPECT_NEAR(seconds(heard) * 1000, detail.lengthMs, 25);
    EXPECT_EQ(state(), EngineStopped);

    // "読込" of the gone file says so and leaves the window working.
    openTrack(music);
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("Open Error")});
    clickToolbar(CommandKey::Play);
    EXPECT_EQ(state(), EngineStopped);
    prompts.clearShown();

    expectAnotherTrackPlays();
}

TEST_P(TrackFaultRendered, CutBelowThePausedPositionEndsTheTrackAfterWhatWasRead)
{
    const QString music = path("long.mp3");
    ASSERT_TRUE(writeRepeatedTone(music, 20));
    openTrack(music);
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(render(30 * kOutputRate), 30 * kOutputRate);
    clickToolbar(CommandKey::Pause);
    ASSERT_EQ(state(), EnginePaused);
    EXPECT_FALSE(playClock().isActive());

    // 10 s are left; the read buffer (128 kB, about 18.7 s) was filled at the pause.
    ASSERT_TRUE(QFile::resize(music, 10 * kToneBytesPerSecond));
    clickToolbar(CommandKey::Pause);  // resumes
    EXPECT_TRUE(playClock().isActive());
    EXPECT_LT(seconds(renderToEnd(60)), 128.0 * 1024 / kToneBytesPerSecond + 0.1);
    EXPECT_EQ(state(), EngineStopped);
    tick("Play_timer");
    tick("Timer2");

    // Played again from the start, then dragged past the cut: the track ends within
    // the 10 s the file still holds.
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(state(), EnginePlaying);
    const QPoint thumb = scrollBarThumb(timebar()).center();
    const QPoint past = thumb + QPoint(timebar().width() / 3, 0);
    QTest::mousePress(&timebar(), Qt::LeftButton, {}, thumb);
    QTest::mouseMove(&timebar(), past);
    QTest::mouseRelease(&timebar(), Qt::LeftButton, {}, past);
    ASSERT_GT(timebar().value(), 10);
    EXPECT_LT(seconds(renderToEnd(30)), 10.1);
    EXPECT_EQ(state(), EngineStopped);
    clickToolbar(CommandKey::Stop);

    expectAnotherTrackPlays();
}

INSTANTIATE_TEST_SUITE_P(Manual, TrackFaultRendered, ::testing::Values(PlaybackEngine::Output::Manual));

using TrackFaultOnDevice = TrackFault;

// On SDL's dummy driver the device's thread reads the file while it is cut: a seek into
// the last seconds that are left lets the track end soon.
TEST_P(TrackFaultOnDevice, TrackCutWhileTheDeviceReadsEndsAndTheWindowGoesOn)
{
    const QString music = path("long.mp3");
    ASSERT_TRUE(writeRepeatedTone(music, 20));
    openTrack(music);
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(state(), EnginePlaying);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.vbmp3_getWinampPlayMs() >= 200; }, 3000));

    ASSERT_TRUE(QFile::resize(music, 21 * kToneBytesPerSecond));
    const QPoint thumb = scrollBarThumb(timebar()).center();
    const int barWidth = timebar().width();
    QTest::mousePress(&timebar(), Qt::LeftButton, {}, thumb);
    // About 20 s in: 1 s is left before the cut.
    QPoint at = thumb;
    while (timebar().value() < 20 && at.x() < barWidth) {
        at += QPoint(2, 0);
        QTest::mouseMove(&timebar(), at);
    }
    QTest::mouseRelease(&timebar(), Qt::LeftButton, {}, at);
    ASSERT_GE(timebar().value(), 20);
    ASSERT_LE(timebar().value(), 21);

    EXPECT_TRUE(QTest::qWaitFor([&] { return state() == EngineStopped; }, 8000)) << "still " << state();
    clickToolbar(CommandKey::Stop);
    expectAnotherTrackPlays();
}

INSTANTIATE_TEST_SUITE_P(DummyDriver, TrackFaultOnDevice, ::testing::Values(PlaybackEngine::Output::Device));

}  // namespace

}  // namespace lyricue
