// The timeline panel through the real window: the "表示" toggle, seeking by a click,
// dragging a tag's marker, and the peaks computation following the open track.
#include "base/app_settings.h"
#include "shell/command_keys.h"
#include "shell/long_track.h"
#include "timeline/timeline_panel.h"
#include "shell/window_fixture.h"

#include <QAction>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

namespace lyricue {

namespace {

class TimelineTest : public WindowTest {
protected:
    void SetUp() override { app_settings::forgetAll(); }

    QAction& toggle() { return *control<QAction>("timeline_shown"); }

    TimelinePanel& shownPanel()
    {
        if (!toggle().isChecked())
            toggle().trigger();
        TimelinePanel* panel = window().timelinePanel();
        EXPECT_NE(panel, nullptr);
        EXPECT_TRUE(panel && panel->isVisible());
        return *panel;
    }

    // The x of a time on the panel as it stands.
    static int xOf(const TimelinePanel& panel, qint64 ms)
    {
        return static_cast<int>(panel.timeWindow().xOf(ms, panel.width()));
    }

    // At mid height, where only line markers are taken, or in the lower band of segment marks.
    static void mouse(TimelinePanel& panel, QEvent::Type type, int x, bool lowerBand = false)
    {
        const QPointF at(x, lowerBand ? panel.height() - 4 : panel.height() / 2);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, panel.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&panel, &event);
    }

    static void drag(TimelinePanel& panel, int fromX, int toX, bool lowerBand = false)
    {
        mouse(panel, QEvent::MouseButtonPress, fromX, lowerBand);
        mouse(panel, QEvent::MouseMove, (fromX + toX) / 2, lowerBand);
        mouse(panel, QEvent::MouseMove, toX, lowerBand);
        mouse(panel, QEvent::MouseButtonRelease, toX, lowerBand);
    }

    // "読込" of `path`, declining its lyrics.
    void openTrack(const QString& path)
    {
        prompts.queueOpenAccept(path);
        prompts.queueAnswer(AnswerCancel);
        clickToolbar(CommandKey::Open);
    }

    void setLine(int line, const QString& tag, const QString& text)
    {
        sheet().setCellAt(LineTagIndex(sheet(), line), tag);
        sheet().setCellAt(LineTagIndex(sheet(), line) + 1, text);
    }

    QString tagOf(int line) { return sheet().cellAt(LineTagIndex(sheet(), line)); }
    QString textOf(int line) { return sheet().cellAt(LineTagIndex(sheet(), line) + 1); }
};

// Waits for `done` while the event loop runs; false when it did not come within 10 s.
template <typename Done>
bool waitFor(Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QTest::qWait(5);
    }
    return true;
}

TEST_F(TimelineTest, HiddenUntilToggledThenTheWindowGrowsByThePanelAndShrinksBack)
{
    showActive();
    const QSize before = window().size();
    EXPECT_EQ(window().timelinePanel(), nullptr);
    EXPECT_EQ(window().centralWidget()->objectName(), QStringLiteral("client"));

    QTest::keyClick(&window(), Qt::Key_T, Qt::ControlModifier);
    TimelinePanel* panel = window().timelinePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(window().size(), QSize(before.width(), before.height() + panel->height()));
    EXPECT_EQ(panel->geometry().top(), control<QWidget>("client")->geometry().bottom() + 1);

    QTest::keyClick(&window(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(window().size(), before);
    EXPECT_EQ(control<QWidget>("client")->size(), QSize(499, 488));
}

TEST_F(TimelineTest, TheChoiceIsRememberedForTheNextRun)
{
    window().show();
    shownPanel();
    {
        MainWindow next(engine, prompts);
        EXPECT_NE(next.timelinePanel(), nullptr);
        EXPECT_TRUE(next.findChild<QAction*>(QStringLiteral("timeline_shown"))->isChecked());
        next.findChild<QAction*>(QStringLiteral("timeline_shown"))->trigger();
    }
    MainWindow third(engine, prompts);
    EXPECT_EQ(third.timelinePanel(), nullptr);
}

TEST_F(TimelineTest, AClickSeeksToTheSecondUnderIt)
{
    window().show();
    TimelinePanel& panel = shownPanel();
    engine.setPlayMs(0);
    struct Click {
        int zoomSteps;  // > 0 in
        double share;   // of the panel's width
        std::int32_t seconds;
    };
    for (const Click& click : {Click{0, 0.55, 4}, Click{0, 0.99, 7}, Click{1, 0.8, 3}, Click{-1, 0.55, 8}}) {
        engine.setPlayMs(0);
        stateTimerTick();  // the panel follows the position back to the start
        for (int step = 0; step < click.zoomSteps; ++step)
            panel.zoomIn();
        for (int step = 0; step < -click.zoomSteps; ++step)
            panel.zoomOut();
        engine.clearLog();
        const int x = static_cast<int>(click.share * panel.width());
        mouse(panel, QEvent::MouseButtonPress, x);
        mouse(panel, QEvent::MouseButtonRelease, x);
        const std::vector<EngineCall> seeks = engine.callsNamed("vbmp3_seek");
        ASSERT_EQ(seeks.size(), 1u) << click.share;
        EXPECT_EQ(seeks[0].numbers, std::vector<std::int32_t>{click.seconds}) << click.share;
        for (int step = 0; step < click.zoomSteps; ++step)
            panel.zoomOut();
        for (int step = 0; step < -click.zoomSteps; ++step)
            panel.zoomIn();
    }
}

TEST_F(TimelineTest, DraggingAMarkerMovesItsLinesTagInHundredthsNeverBelowZero)
{
    window().show();
    setLine(0, QStringLiteral("[00:02:00]"), QStringLiteral("一行目"));
    setLine(1, QStringLiteral("[00:04:50]"), QStringLiteral("二行目"));
    TimelinePanel& panel = shownPanel();
    engine.clearLog();

    drag(panel, xOf(panel, 2000), xOf(panel, 6000));
    const QString moved = tagOf(0);
    ASSERT_TRUE(moved.startsWith(QStringLiteral("[00:0"))) << moved.toStdString();
    const int hundredths = moved.mid(4, 2).toInt() * 100 + moved.mid(7, 2).toInt();
    EXPECT_NEAR(hundredths, 600, 2) << moved.toStdString();  // within a pixel's time
    EXPECT_EQ(tagOf(1), QStringLiteral("[00:04:50]"));
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 0);

    // The whole drag is one step back.
    control<QAction>("undo")->trigger();
    EXPECT_EQ(tagOf(0), QStringLiteral("[00:02:00]"));
    control<QAction>("redo")->trigger();
    EXPECT_EQ(tagOf(0), moved);

    drag(panel, xOf(panel, 4500), -40);
    EXPECT_EQ(tagOf(1), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(tagOf(0), moved);

    // A press on a marker let go where it was changes no tag.
    drag(panel, xOf(panel, 0), xOf(panel, 0));
    EXPECT_EQ(tagOf(1), QStringLiteral("[00:00:00]"));
}

TEST_F(TimelineTest, OpeningAnotherTrackCancelsTheOldPeaksAndComputesTheNew)
{
    QTemporaryDir dir;
    const QString longTrack = dir.filePath(QStringLiteral("long.mp3"));
    ASSERT_TRUE(writeRepeatedTone(longTrack, 600));  // about 30 minutes
    window().show();
    TimelinePanel& panel = shownPanel();

    openTrack(longTrack);
    const PeakScan* first = panel.scan();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->path(), longTrack);
    ASSERT_TRUE(waitFor([&] { return first->peaks() && first->peaks()->readyBlocks() > 0; }));

    const QString shortTrack = testDataPath(QStringLiteral("noise.flac"));  // through the FFmpeg module
    openTrack(shortTrack);
    ASSERT_TRUE(waitFor([&] { return first->finished(); }));
    EXPECT_EQ(first->state(), PeakScan::State::Cancelled);
    EXPECT_LT(first->peaks()->readyBlocks(), first->peaks()->blockCount());

    const PeakScan* second = panel.scan();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->path(), shortTrack);
    ASSERT_TRUE(waitFor([&] { return second->finished(); }));
    ASSERT_EQ(second->state(), PeakScan::State::Complete);
    const auto peaks = second->peaks();
    EXPECT_TRUE(peaks->complete());
    const WaveformPeaks::Peak whole = peaks->range(0, peaks->lengthFrames());
    EXPECT_GT(whole.high, 0.02f);  // quiet noise, but not silence
    EXPECT_LT(whole.low, -0.02f);
}

TEST_F(TimelineTest, AFileThatDoesNotDecodeLeavesAnEmptyPanel)
{
    window().show();
    TimelinePanel& panel = shownPanel();
    openTrack(testDataPath(QStringLiteral("lyrics_cp932_lf.txt")));
    ASSERT_NE(panel.scan(), nullptr);
    ASSERT_TRUE(waitFor([&] { return panel.scan()->finished(); }));
    EXPECT_EQ(panel.scan()->state(), PeakScan::State::Failed);
    panel.repaint();  // paints with no peaks
}

TEST_F(TimelineTest, DraggingASegmentMarkMovesItsTimeHeldBetweenItsNeighboursAClickSelectsIt)
{
    window().show();
    setLine(0, QStringLiteral("[00:01:00]"), QStringLiteral("夜[00:02:00]明[00:03:00]け|の"));
    setLine(1, QStringLiteral("[00:05:00]"), QStringLiteral("近[00:05:04]い"));
    TimelinePanel& panel = shownPanel();
    const LyricsDocument& document = window().document();
    engine.clearLog();

    drag(panel, xOf(panel, 2000), xOf(panel, 2500), true);
    const std::optional<qint64> moved = document.segmentMs({0, 1});
    ASSERT_TRUE(moved);
    EXPECT_NEAR(static_cast<double>(*moved), 2500, 20);  // within a pixel's time
    EXPECT_EQ(tagOf(0), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 0);
    control<QAction>("undo")->trigger();  // the whole drag is one step back
    EXPECT_EQ(textOf(0), QStringLiteral("夜[00:02:00]明[00:03:00]け|の"));

    struct Drag {
        qint64 fromMs;
        int toX;
        const char16_t* text;
    };
    for (const Drag& d : {Drag{2000, xOf(panel, 4500), u"夜[00:03:00]明[00:03:00]け|の"},
                          Drag{2000, -40, u"夜[00:01:00]明[00:03:00]け|の"},
                          Drag{3000, -40, u"夜[00:02:00]明[00:02:00]け|の"}}) {
        drag(panel, xOf(panel, d.fromMs), d.toX, true);
        EXPECT_EQ(textOf(0), QString::fromUtf16(d.text)) << "from " << d.fromMs;
        EXPECT_EQ(tagOf(0), QStringLiteral("[00:01:00]"));
        control<QAction>("undo")->trigger();
        EXPECT_EQ(textOf(0), QStringLiteral("夜[00:02:00]明[00:03:00]け|の")) << "from " << d.fromMs;
    }

    // A segment mark close to a line marker: the lower band takes the segment, mid height the line.
    drag(panel, xOf(panel, 5040), xOf(panel, 5500), true);
    EXPECT_EQ(tagOf(1), QStringLiteral("[00:05:00]"));
    EXPECT_NEAR(static_cast<double>(document.segmentMs({1, 1}).value_or(0)), 5500, 20);
    drag(panel, xOf(panel, 5000), xOf(panel, 4500));
    EXPECT_NE(tagOf(1), QStringLiteral("[00:05:00]"));
    EXPECT_NEAR(static_cast<double>(document.segmentMs({1, 1}).value_or(0)), 5500, 20);

    // A click on a segment mark selects it for the nudge keys; it moves nothing and seeks not.
    engine.clearLog();
    mouse(panel, QEvent::MouseButtonPress, xOf(panel, 3000), true);
    mouse(panel, QEvent::MouseButtonRelease, xOf(panel, 3000), true);
    EXPECT_EQ(document.selectedSegment(), (SegmentRef{0, 2}));
    EXPECT_EQ(textOf(0), QStringLiteral("夜[00:02:00]明[00:03:00]け|の"));
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 0);
}

}  // namespace

}  // namespace lyricue
