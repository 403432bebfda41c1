#include "shell/icon_resources.h"

#include <gtest/gtest.h>

#include <QImage>

namespace lyricue {

namespace {

// The program icon as QIcon holds the six drawn sizes when they are all added to it.
QIcon allSizesAdded()
{
    (void)programIcon();  // registers the resources
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/lyricue_%1.png").arg(side));
    return icon;
}

TEST(ProgramIcon, GivesWhatAnIconHoldingEverySizeGives)
{
    const QIcon expected = allSizesAdded();
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), expected.availableSizes());
    // Exact sizes, sizes between two drawn ones, past the largest, and not square.
    const QSize asked[] = {{16, 16}, {20, 20}, {32, 32}, {40, 40}, {64, 64}, {100, 100},
                           {256, 256}, {300, 300}, {24, 64}, {128, 20}};
    for (const QSize& size : asked) {
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            EXPECT_EQ(icon.actualSize(size, mode), expected.actualSize(size, mode))
                << size.width() << "x" << size.height();
            EXPECT_EQ(icon.pixmap(size, mode).toImage(), expected.pixmap(size, mode).toImage())
                << size.width() << "x" << size.height() << " mode " << mode;
        }
    }
}

}  // namespace

}  // namespace lyricue
