#include "sheet/sheet_fixture.h"

#include <QSignalSpy>

namespace lyricue {

namespace {

using SheetBulkFillTest = SheetFixture;

TEST_F(SheetBulkFillTest, FillsConsecutiveIndexesAcrossRowsAndLeavesTheRest)
{
    sheet.setCellAt(2, QStringLiteral("before"));
    sheet.setCellAt(9, QStringLiteral("after"));

    sheet.setCellsAt(3, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                         QStringLiteral("e")});

    EXPECT_EQ(allCells().mid(0, 10),
              (QStringList{QStringLiteral("Time Tag"), QStringLiteral("歌詞"), QStringLiteral("before"),
                           QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                           QStringLiteral("e"), QString(), QStringLiteral("after")}));
    EXPECT_EQ(sheet.model()->index(1, 0).data().toString(), QStringLiteral("b"));
}

TEST_F(SheetBulkFillTest, OneNotificationCoversEveryChangedRow)
{
    QSignalSpy changed(sheet.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy header(sheet.model(), &QAbstractItemModel::headerDataChanged);

    sheet.setCellsAt(3, QStringList(2 * 5, QStringLiteral("x")));  // rows 1 to 6

    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex(), sheet.model()->index(0, 0));
    EXPECT_EQ(changed[0][1].toModelIndex(), sheet.model()->index(5, 1));
    EXPECT_TRUE(header.isEmpty());
}

TEST_F(SheetBulkFillTest, HeaderCellsChangeTheShownHeader)
{
    QSignalSpy header(sheet.model(), &QAbstractItemModel::headerDataChanged);
    QSignalSpy changed(sheet.model(), &QAbstractItemModel::dataChanged);

    sheet.setCellsAt(1, {QStringLiteral("Lyric")});

    EXPECT_EQ(sheet.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Lyric"));
    EXPECT_EQ(header.size(), 1);
    EXPECT_TRUE(changed.isEmpty());
}

TEST_F(SheetBulkFillTest, TextsPastTheLastCellAreDroppedNotWrittenOutside)
{
    const int cellCount = sheet.rows() * sheet.cols();
    sheet.setCellsAt(cellCount - 1, {QStringLiteral("last"), QStringLiteral("beyond")});
    sheet.setCellsAt(cellCount, {QStringLiteral("outside")});

    EXPECT_EQ(sheet.rows() * sheet.cols(), cellCount);
    EXPECT_EQ(allCells().last(), QStringLiteral("last"));
}

}  // namespace

}  // namespace lyricue
