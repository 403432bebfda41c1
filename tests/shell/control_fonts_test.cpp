#include "shell/control_fonts.h"

#include <gtest/gtest.h>

#include <QRawFont>

namespace lyricue {

namespace {

struct ControlFontCase {
    const char* name;
    QFont (*font)(double points);
    double points;
    QFont::Weight weight;
    const char16_t* shownText;  // what the window shows in this font
};

class ControlFontTest : public ::testing::TestWithParam<ControlFontCase> {};

// Each font names one face, which is the face drawn with and holds every character
// the window shows in it.
TEST_P(ControlFontTest, IsOneInstalledFaceThatHoldsTheTextShownInIt)
{
    const ControlFontCase& c = GetParam();
    const QFont font = c.font(c.points);
    ASSERT_EQ(font.families().size(), 1);
    EXPECT_EQ(font.pointSizeF(), c.points);
    EXPECT_EQ(font.weight(), c.weight);

    // The face Qt draws with, not its fallbacks for characters the face lacks.
    const QRawFont face = QRawFont::fromFont(font);
    ASSERT_TRUE(face.isValid());
    if (font.family() != QStringLiteral("Sans Serif")) {  // the generic last resort
        EXPECT_EQ(face.familyName().toLower(), font.family().toLower());
    }
    for (const QChar character : QString::fromUtf16(c.shownText)) {
        if (!character.isSpace()) {
            EXPECT_TRUE(face.supportsCharacter(character))
                << face.familyName().toStdString() << " lacks U+"
                << QString::number(character.unicode(), 16).toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    WindowFonts, ControlFontTest,
    ::testing::Values(
        ControlFontCase{"Gothic", gothicFont, 11.25, QFont::Normal, u"曲を開く 歌詞を保存 時間 ルビ・記号「」ー"},
        ControlFontCase{"Mincho", minchoFont, 12, QFont::Normal, u"Time Input 時間入力"},
        ControlFontCase{"System", systemFont, 13.5, QFont::Bold, u"Now 00:00:00 Time 59:59:99"}),
    [](const testing::TestParamInfo<ControlFontCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
