#include "base/app_settings.h"
#include "document/lyrics_document.h"
#include "shell/command_keys.h"
#include "shell/window_fixture.h"

#include <QAction>
#include <QLineEdit>

namespace lyricue {

namespace {

// Timing word by word through the real window: line 0 "夜明け", line 1 "空".
class SegmentTimingWindow : public WindowTest {
protected:
    void SetUp() override
    {
        showActive();
        sheet().setCellAt(LineTagIndex(sheet(), 0) + 1, u"夜明け"_qs);
        sheet().setCellAt(LineTagIndex(sheet(), 1) + 1, u"空"_qs);
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        sheet().setFocus();
        QTest::keyClick(window().windowHandle(), key, modifiers);
    }
    void stampAt(int ms)
    {
        engine.setPlayMs(ms);
        QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    }
    QAction* modeItem() { return window().findChild<QAction*>(QStringLiteral("segment_timing")); }
    LyricLine line(int index) { return window().document().line(index); }
    QString shown(int line) { return sheet().model()->index(line, 1).data().toString(); }
};

TEST_F(SegmentTimingWindow, EachPressTimesTheNextSegmentAndUndoTakesOneBack)
{
    ASSERT_NE(modeItem(), nullptr);
    EXPECT_FALSE(sheet().markedSegment());
    press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(modeItem()->isChecked());
    EXPECT_TRUE(app_settings::segmentTiming());
    EXPECT_TRUE(control<QPushButton>("Cmd_TimeIn")->toolTip().startsWith(u"単語ごとにタイミング"_qs));
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{0, 0, 1}));

    stampAt(1000);
    stampAt(1200);
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{0, 2, 1}));
    stampAt(1450);
    EXPECT_EQ(line(0), (LyricLine{u"[00:01:00]"_qs, u"夜[00:01:20]明[00:01:45]け"_qs}));
    EXPECT_EQ(shown(0), u"夜明け"_qs);
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{1, 0, 1}));
    EXPECT_EQ(sheet().row(), 2);

    // The nudge moves the segment last stamped, held below the next one's time... here the last.
    press(Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(line(0).text, u"夜[00:01:20]明[00:01:35]け"_qs);
    press(Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(line(0).text, u"夜[00:01:20]明[00:01:25]け"_qs);
    press(Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(line(0).text, u"夜[00:01:20]明[00:01:20]け"_qs);

    for (int step = 0; step < 4; ++step)
        press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(line(0).text, u"夜[00:01:20]明|け"_qs);
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{0, 2, 1}));

    // "Space" passes the rest of the line; the next line starts from its first segment.
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{1, 0, 1}));
    EXPECT_EQ(line(0).text, u"夜[00:01:20]明|け"_qs);

    // Switched off, a press times the whole line again.
    press(Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(app_settings::segmentTiming());
    stampAt(3000);
    EXPECT_EQ(line(1), (LyricLine{u"[00:03:00]"_qs, u"空"_qs}));
}

TEST_F(SegmentTimingWindow, TypedBoundariesSplitTheLineAndTheDefaultsComeBack)
{
    press(Qt::Key_K, Qt::ControlModifier);
    sheet().setRow(1);
    QLineEdit* text = control<QLineEdit>("Grid_Txt");
    text->setText(u"夜明|け"_qs);
    EXPECT_EQ(line(0).text, u"夜明|け"_qs);
    EXPECT_EQ(shown(0), u"夜明け"_qs);
    stampAt(1000);
    EXPECT_EQ(sheet().markedSegment(), (ShownRange{0, 2, 1}));

    window().findChild<QAction*>(QStringLiteral("default_split"))->trigger();
    EXPECT_EQ(line(0).text, u"夜明け"_qs);
    EXPECT_EQ(window().document().segments(0).segments.size(), 3u);
}

}  // namespace

}  // namespace lyricue
