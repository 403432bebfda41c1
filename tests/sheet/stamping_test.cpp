#include "sheet/sheet_fixture.h"


namespace lyricue {

namespace {

using StampingTest = SheetFixture;

// One press of a stamping button, as the window makes it: a refusal is shown.
void stampWith(LyricsSheet& sheet, Prompts& prompts, const QString& tag)
{
    if (const Result stamped = sheet.document().stamp(tag); !stamped.ok())
        prompts.showMessage(stamped.errorString());
}

QString tag(int press)
{
    return QStringLiteral("[00:%1:00]").arg(press, 2, 10, QChar(u'0'));
}

TEST_F(StampingTest, WalkOverTheStartUpSheetStopsOnTheLastRow)
{
    sheet.resize(sheet.width(), 150);  // fewer lines in view than the sheet holds
    const int lastTop = lastTopRow();
    ASSERT_GT(lastTop, 1) << "the sheet must be able to scroll for this walk";
    for (int press = 1; press <= 13; ++press) {
        stampWith(sheet, prompts, tag(press));
        EXPECT_EQ(CellText(sheet, press, 0), tag(press)) << "press " << press;
        EXPECT_EQ(sheet.row(), press + 1);
        EXPECT_EQ(document.StampRow(), press);
        // From row 8 on every step scrolls one row, as far as the sheet can.
        EXPECT_EQ(sheet.topRow(), std::min(std::max(1, press + 1 - 6), lastTop)) << "press " << press;
    }
    const int topAfterWalk = sheet.topRow();
    for (int press = 14; press <= 16; ++press) {
        stampWith(sheet, prompts, tag(press));
        EXPECT_EQ(CellText(sheet, 14, 0), tag(press));
        EXPECT_EQ(sheet.row(), 14);
        EXPECT_EQ(document.StampRow(), 13);
        EXPECT_EQ(sheet.topRow(), topAfterWalk);
    }
    EXPECT_EQ(CellText(sheet, 13, 0), tag(13));
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(StampingTest, SpaceEmptiesTheTagAndAdvances)
{
    sheet.setCellAt(LineTagIndex(sheet, 0), QStringLiteral("[00:00:00]"));
    stampWith(sheet, prompts, QString());
    EXPECT_EQ(CellText(sheet, 1, 0), QString());
    EXPECT_EQ(sheet.row(), 2);
    EXPECT_EQ(document.StampRow(), 1);
}

TEST_F(StampingTest, TwoRowSheetRewritesLineZero)
{
    sheet.setRows(2);
    stampWith(sheet, prompts, tag(1));
    stampWith(sheet, prompts, tag(2));
    EXPECT_EQ(CellText(sheet, 1, 0), tag(2));
    EXPECT_EQ(sheet.row(), 1);
    EXPECT_EQ(document.StampRow(), 0);
}

TEST_F(StampingTest, StampRowBehindTheCurrentRowWritesEarlierLines)
{
    sheet.setRow(10);  // a click in the text column of row 10
    stampWith(sheet, prompts, tag(1));
    EXPECT_EQ(CellText(sheet, 1, 0), tag(1));
    EXPECT_EQ(CellText(sheet, 10, 0), QString());
    EXPECT_EQ(sheet.row(), 11);
    EXPECT_EQ(document.StampRow(), 1);
}

TEST_F(StampingTest, PressPastTheLastLineIsRefusedAndNothingMoves)
{
    // StampRow ahead of the current row: the press on the last line runs it past the end.
    document.setStampRow(13);
    sheet.setRow(5);
    stampWith(sheet, prompts, tag(1));
    EXPECT_EQ(CellText(sheet, 14, 0), tag(1));
    EXPECT_EQ(document.StampRow(), 14);

    const QStringList before = allCells();
    const int rowBefore = sheet.row();
    const int topBefore = sheet.topRow();
    stampWith(sheet, prompts, tag(2));
    EXPECT_EQ(allCells(), before);
    EXPECT_EQ(sheet.row(), rowBefore);
    EXPECT_EQ(sheet.topRow(), topBefore);
    EXPECT_EQ(document.StampRow(), 14);
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("Error Rows!!")});
}

TEST_F(StampingTest, LargestSheetStampsNearItsEnd)
{
    sheet.setRows(32767);
    sheet.setRow(32765);
    document.setStampRow(32764);
    sheet.setTopRow(32760);
    stampWith(sheet, prompts, tag(1));
    stampWith(sheet, prompts, tag(2));
    stampWith(sheet, prompts, tag(3));
    EXPECT_EQ(CellText(sheet, 32765, 0), tag(1));
    EXPECT_EQ(CellText(sheet, 32766, 0), tag(3));
    EXPECT_EQ(sheet.row(), 32766);
    EXPECT_EQ(sheet.topRow(), lastTopRow());
}

}  // namespace

}  // namespace lyricue
