#include "shell/window_fixture.h"

#include "shell/command_keys.h"

#include <QHeaderView>
#include <QLineEdit>

namespace lyricue {

namespace {

// Clicks and typing in the sheet and the two edit boxes of the real window.
class CellEditingTest : public WindowTest {
protected:
    void SetUp() override
    {
        showActive();
        for (int row = 1; row <= 14; ++row) {
            sheet().setCellAt(row * 2, QStringLiteral("[00:%1:00]").arg(row, 2, 10, QChar(u'0')));
            sheet().setCellAt(row * 2 + 1, QStringLiteral("line %1").arg(row));
        }
    }

    void clickCell(int row, int column)
    {
        const QModelIndex index = sheet().model()->index(row - 1, column);
        sheet().scrollTo(index);
        QTest::mouseClick(sheet().viewport(), Qt::LeftButton, {}, sheet().visualRect(index).center());
    }

    QLineEdit& timeBox() { return *control<QLineEdit>("Time_Txt"); }
    QLineEdit& textBox() { return *control<QLineEdit>("Grid_Txt"); }
};

TEST_F(CellEditingTest, ClickOnATagCellLoadsItAndMakesThatLineTheNextStamp)
{
    clickCell(5, 0);
    EXPECT_EQ(timeBox().text(), QStringLiteral("[00:05:00]"));
    EXPECT_EQ(focusName(), QStringLiteral("Time_Txt"));
    EXPECT_EQ(window().document().StampRow(), 4);

    engine.setPlayMs(83456);
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    EXPECT_EQ(CellText(sheet(), 5, 0), QStringLiteral("[01:23:45]"));
    EXPECT_EQ(CellText(sheet(), 4, 0), QStringLiteral("[00:04:00]"));
}

TEST_F(CellEditingTest, ClickOnATextCellLoadsItAndKeepsTheStampLine)
{
    window().document().setStampRow(9);
    clickCell(5, 1);
    EXPECT_EQ(textBox().text(), QStringLiteral("line 5"));
    EXPECT_EQ(focusName(), QStringLiteral("Grid_Txt"));
    EXPECT_EQ(window().document().StampRow(), 9);
    EXPECT_EQ(sheet().row(), 5);
}

TEST_F(CellEditingTest, BeforeAnyClickTheBoxesShowAndEditRowOne)
{
    EXPECT_EQ(timeBox().text(), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(textBox().text(), QStringLiteral("line 1"));
    textBox().setFocus();
    textBox().end(false);
    QTest::keyClicks(&textBox(), QStringLiteral("ab"));
    timeBox().setFocus();
    timeBox().end(false);
    QTest::keyClick(&timeBox(), Qt::Key_X);
    EXPECT_EQ(CellText(sheet(), 1, 1), QStringLiteral("line 1ab"));
    EXPECT_EQ(CellText(sheet(), 1, 0), QStringLiteral("[00:01:00]x"));
    EXPECT_EQ(CellText(sheet(), 2, 1), QStringLiteral("line 2"));
}

TEST_F(CellEditingTest, AClickShowsTheClickedLineInBothBoxesAndTypingGoesThere)
{
    clickCell(3, 1);
    clickCell(5, 0);
    EXPECT_EQ(textBox().text(), QStringLiteral("line 5"));
    textBox().setFocus();
    textBox().end(false);
    QTest::keyClick(&textBox(), Qt::Key_Z);
    EXPECT_EQ(CellText(sheet(), 5, 1), QStringLiteral("line 5z"));
    EXPECT_EQ(CellText(sheet(), 3, 1), QStringLiteral("line 3"));
}

TEST_F(CellEditingTest, ClearingTheTagBoxEmptiesTheTagCell)
{
    clickCell(6, 0);
    timeBox().selectAll();
    QTest::keyClick(&timeBox(), Qt::Key_Delete);
    EXPECT_EQ(CellText(sheet(), 6, 0), QString());
    EXPECT_EQ(CellText(sheet(), 6, 1), QStringLiteral("line 6"));
}

TEST_F(CellEditingTest, HeaderClickNeverLoadsOrWritesTheHeader)
{
    clickCell(4, 1);
    QHeaderView* header = sheet().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(0) + 10, 5));
    textBox().setFocus();
    QTest::keyClick(&textBox(), Qt::Key_Q);
    EXPECT_EQ(sheet().cellAt(0), QStringLiteral("Time Tag"));
    EXPECT_EQ(sheet().cellAt(1), QStringLiteral("歌詞"));
    EXPECT_EQ(textBox().text(), QStringLiteral("line 4q"));
    EXPECT_EQ(CellText(sheet(), 4, 1), QStringLiteral("line 4q"));
}

TEST_F(CellEditingTest, KeysGoToTheFocusedBoxNotToTheStampButtonAfterPlay)
{
    window().fileCommands().setSelectedPath(QStringLiteral("/music/song.mp3"));
    clickToolbar(CommandKey::Play);
    ASSERT_EQ(focusName(), QStringLiteral("Cmd_TimeIn"));
    clickCell(2, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(CellText(sheet(), 2, 1), QStringLiteral("line 2 "));
    EXPECT_EQ(CellText(sheet(), 2, 0), QStringLiteral("[00:02:00]"));
}

}  // namespace

}  // namespace lyricue
