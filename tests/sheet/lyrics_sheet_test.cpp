#include "sheet/sheet_fixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace lyricue {

int SheetFixture::lastTopRow() const
{
    return sheet.verticalScrollBar()->maximum() + 1;
}

namespace {

using LyricsSheetTest = SheetFixture;

TEST_F(LyricsSheetTest, StartUpShapeHasHeaderAnd14EmptyLines)
{
    EXPECT_EQ(sheet.rows(), 15);
    EXPECT_EQ(sheet.cols(), 2);
    EXPECT_EQ(sheet.document().LineCount(), 14);
    EXPECT_EQ(sheet.row(), 1);
    EXPECT_EQ(sheet.topRow(), 1);
    EXPECT_EQ(sheet.cellAt(0), QStringLiteral("Time Tag"));
    EXPECT_EQ(sheet.cellAt(1), QStringLiteral("歌詞"));
    EXPECT_EQ(sheet.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("歌詞"));
    EXPECT_EQ(CellText(sheet, 1, 0), QString());
    EXPECT_EQ(CellText(sheet, 14, 1), QString());
    EXPECT_EQ(LineTagIndex(sheet, 0), 2);
    EXPECT_EQ(LineTagIndex(sheet, 13), 28);
    EXPECT_EQ(sheet.columnWidth(0), 80);
    EXPECT_EQ(sheet.columnWidth(1), 410);
}

TEST_F(LyricsSheetTest, LinearIndexAddressesRowsAndColumns)
{
    sheet.setCellAt(LineTagIndex(sheet, 4), QStringLiteral("[00:01:00]"));
    sheet.setCellAt(LineTagIndex(sheet, 4) + 1, QStringLiteral("五行目"));
    EXPECT_EQ(CellText(sheet, 5, 0), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(CellText(sheet, 5, 1), QStringLiteral("五行目"));
    EXPECT_EQ(sheet.model()->index(4, 1).data().toString(), QStringLiteral("五行目"));
}

TEST_F(LyricsSheetTest, GrowingAndShrinkingKeepsTheCellsThatRemain)
{
    sheet.setCellAt(LineTagIndex(sheet, 0) + 1, QStringLiteral("first"));
    sheet.setRows(32767);
    EXPECT_EQ(sheet.model()->rowCount(), 32766);
    EXPECT_EQ(CellText(sheet, 1, 1), QStringLiteral("first"));
    EXPECT_EQ(CellText(sheet, 32766, 1), QString());
    sheet.setRows(2);
    EXPECT_EQ(sheet.rows(), 2);
    EXPECT_EQ(CellText(sheet, 1, 1), QStringLiteral("first"));
    EXPECT_EQ(sheet.row(), 1);
}

TEST_F(LyricsSheetTest, ClearEmptiesEveryCellHeaderIncluded)
{
    sheet.setCellAt(5, QStringLiteral("x"));
    sheet.clear();
    EXPECT_EQ(allCells(), QStringList(30, QString()));
}

TEST_F(LyricsSheetTest, SettingTheRowCollapsesTheSelectionOntoIt)
{
    sheet.setRow(6);
    EXPECT_EQ(sheet.row(), 6);
    EXPECT_EQ(sheet.rowSel(), 6);
    EXPECT_EQ(sheet.selectionModel()->selectedIndexes().size(), 1);
}

TEST_F(LyricsSheetTest, ClickOnACellMakesItTheFarEndOfTheSelection)
{
    int clicks = 0;
    QObject::connect(&sheet, &LyricsSheet::sheetClicked, [&] { ++clicks; });
    const QRect cell = sheet.visualRect(sheet.model()->index(3, 1));
    QTest::mouseClick(sheet.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(sheet.rowSel(), 4);
    EXPECT_EQ(sheet.colSel(), 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(LyricsSheetTest, ClickOnTheHeaderNeverSelectsIt)
{
    int clicks = 0;
    QObject::connect(&sheet, &LyricsSheet::sheetClicked, [&] { ++clicks; });
    sheet.setRow(3);
    QHeaderView* header = sheet.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionPosition(0) + 5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sheet.rowSel(), 3);
    EXPECT_EQ(sheet.selectionModel()->selectedIndexes().size(), 1);
}

TEST_F(LyricsSheetTest, TopRowPastTheLastScrollPositionScrollsToTheEnd)
{
    sheet.setRows(32767);
    sheet.setTopRow(40000);
    EXPECT_EQ(sheet.topRow(), lastTopRow());
    EXPECT_GT(lastTopRow(), 32700);
    // The last line is in view.
    const int bottomRow = sheet.rowAt(sheet.viewport()->height() - 2);
    EXPECT_EQ(bottomRow, 32765);
    sheet.setTopRow(100);
    EXPECT_EQ(sheet.topRow(), 100);
}

// With focus rectangle style 0 the current cell looks the same whether or not the sheet
// has the focus (the selection keeps its colour, setHighLight(1)); style 1 draws the
// rectangle, so there the two differ.
TEST(LyricsSheetFocusRect, StyleZeroDrawsNoRectangleAroundTheCurrentCell)
{
    for (const int style : {0, 1}) {
        QWidget window;
        auto* sheet = new LyricsSheet(&window);
        auto* elsewhere = new QLineEdit(&window);
        sheet->resize(7455 / 15, 4155 / 15);
        elsewhere->move(0, sheet->height() + 4);
        shapeSheetAtStartUp(*sheet);
        sheet->setFocusRect(style);
        sheet->setCellAt(2, QStringLiteral("[00:01:00]"));
        sheet->setRow(1);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

        sheet->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(sheet->hasFocus());
        const QImage focused = sheet->grab().toImage();
        elsewhere->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(sheet->hasFocus());
        const QImage unfocused = sheet->grab().toImage();
        EXPECT_EQ(focused == unfocused, style == 0) << "focus rectangle style " << style;
    }
}

}  // namespace

}  // namespace lyricue
