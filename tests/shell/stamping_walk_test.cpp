#include "shell/command_keys.h"
#include "shell/window_fixture.h"

namespace lyricue {

namespace {

// Stamping through the window: play gives "Time Input" the focus, and the space bar
// presses it.
class StampingWalk : public WindowTest {
protected:
    void SetUp() override
    {
        window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
        showActive();
        clickToolbar(CommandKey::Play);
        ASSERT_EQ(QApplication::focusWidget(), control<QWidget>("Cmd_TimeIn"));
    }

    void pressSpaceBar() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space); }

    QString tag(int line) { return sheet().cellAt(LineTagIndex(sheet(), line)); }

    int lastTopRow()
    {
        const int top = sheet().topRow();
        sheet().setTopRow(sheet().rows());
        const int last = sheet().topRow();
        sheet().setTopRow(top);
        return last;
    }
};

TEST_F(StampingWalk, SpaceBarStampsEachLineInTurnThenKeepsRewritingTheLast)
{
    // Half as tall, so that the start-up sheet's fourteen lines do not all fit in
    // view and the walk scrolls.
    sheet().resize(sheet().width(), sheet().height() / 2);
    const int lastTop = lastTopRow();
    ASSERT_GT(lastTop, 1) << "the start-up sheet should not fit in view";

    for (int press = 1; press <= 16; ++press) {
        SCOPED_TRACE(press);
        const std::int32_t ms = press * 1000 + 230;
        engine.setPlayMs(ms);
        pressSpaceBar();

        const int line = std::min(press - 1, 13);
        EXPECT_EQ(tag(line), QStringLiteral("[00:%1:23]").arg(ms / 1000, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(sheet().row(), std::min(press + 1, 14));
        EXPECT_EQ(window().document().StampRow(), std::min(press, 13));
        // From the press that reaches row 8 on, each step scrolls, as far as the sheet can.
        EXPECT_EQ(sheet().topRow(), std::clamp(std::min(press, 13) - 5, 1, lastTop));
    }
    EXPECT_EQ(tag(12), QStringLiteral("[00:13:23]"));
    EXPECT_EQ(tag(13), QStringLiteral("[00:16:23]"));
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(StampingWalk, SpaceButtonEmptiesTheLineAndStepsOn)
{
    engine.setPlayMs(2000);
    pressSpaceBar();
    pressSpaceBar();
    sheet().setRow(2);
    window().document().setStampRow(1);

    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);

    EXPECT_EQ(tag(0), QStringLiteral("[00:02:00]"));
    EXPECT_EQ(tag(1), QString());
    EXPECT_EQ(sheet().row(), 3);
    EXPECT_EQ(window().document().StampRow(), 2);
}

TEST_F(StampingWalk, PressPastTheLastLineWritesNothingAndMovesNothing)
{
    // A click in the text column of an earlier row leaves StampRow ahead of the row.
    sheet().setRow(5);
    window().document().setStampRow(14);
    const QStringList before = [&] {
        QStringList cells;
        for (int index = 0; index < sheet().rows() * sheet().cols(); ++index)
            cells << sheet().cellAt(index);
        return cells;
    }();
    prompts.clearShown();

    pressSpaceBar();

    for (int index = 0; index < sheet().rows() * sheet().cols(); ++index)
        EXPECT_EQ(sheet().cellAt(index), before[index]) << index;
    EXPECT_EQ(sheet().rows(), 15);
    EXPECT_EQ(sheet().row(), 5);
    EXPECT_EQ(window().document().StampRow(), 14);
}

}  // namespace

}  // namespace lyricue
