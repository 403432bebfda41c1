#include "text/ansi_text.h"
#include "display/lyrics_labels.h"
#include "display/wipe_label.h"
#include "support/recording_engine.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <algorithm>
#include <functional>
#include <vector>

namespace lyricue {

namespace {

QByteArray cp932(const char16_t* text)
{
    return encodeCp932(QString::fromUtf16(text)).bytes;
}

class LyricsDisplayTest : public ::testing::Test {
protected:
    LyricsDisplayTest()
    {
        for (QLabel& label : m_labels) {
            QPalette palette = label.palette();
            palette.setColor(QPalette::WindowText, Qt::white);
            label.setPalette(palette);
        }
    }

    QColor middleColour() const { return labels[2]->palette().color(QPalette::WindowText); }

    RecordingEngine engine;
    std::array<QLabel, 5> m_labels;
    std::array<QLabel*, 5> labels{&m_labels[0], &m_labels[1], &m_labels[2], &m_labels[3], &m_labels[4]};
    LyricsDisplay display{engine, labels};
};

TEST_F(LyricsDisplayTest, ShowsTheEngineLinesBottomUp)
{
    engine.setLyricsLines({cp932(u"一行目"), cp932(u"二行目"), cp932(u"三行目"), QByteArray(), cp932(u"五行目")});
    display.RefreshLyricsLabels();

    EXPECT_EQ(engine.calls(), std::vector<std::string>{"vbmp3_getLyrics"});
    const QStringList shown = {labels[0]->text(), labels[1]->text(), labels[2]->text(), labels[3]->text(),
                               labels[4]->text()};
    EXPECT_EQ(shown, QStringList({QStringLiteral("五行目"), QString(), QStringLiteral("三行目"),
                                  QStringLiteral("二行目"), QStringLiteral("一行目")}));
}

TEST_F(LyricsDisplayTest, LabelsTakeTheTextAsPlainText)
{
    engine.setLyricsLines({QByteArray(), QByteArray(), QByteArray("<b>tag</b>"), QByteArray(), QByteArray()});
    display.RefreshLyricsLabels();
    EXPECT_EQ(labels[2]->text(), QStringLiteral("<b>tag</b>"));
}

struct HighlightCase {
    const char16_t* middleLine;
    bool highlighted;
};

class HighlightRule : public LyricsDisplayTest, public ::testing::WithParamInterface<HighlightCase> {};

TEST_P(HighlightRule, MiddleLabelTurnsYellowOnlyForVisibleText)
{
    engine.setLyricsLines({cp932(u"下"), cp932(u"下"), cp932(GetParam().middleLine), cp932(u"上"), cp932(u"上")});
    display.RefreshLyricsLabels();

    EXPECT_EQ(middleColour(), GetParam().highlighted ? QColor(255, 255, 0) : QColor(Qt::white));
    for (const int other : {0, 1, 3, 4})
        EXPECT_EQ(labels[other]->palette().color(QPalette::WindowText), QColor(Qt::white)) << other;
}

INSTANTIATE_TEST_SUITE_P(MiddleLines, HighlightRule,
                         ::testing::Values(HighlightCase{u"", false}, HighlightCase{u"   ", false},
                                           HighlightCase{u"\u3000\u3000", false}, HighlightCase{u"x", true},
                                           HighlightCase{u"  歌  ", true}, HighlightCase{u".", true}));

TEST_F(LyricsDisplayTest, HighlightIsNeverSetBack)
{
    engine.setLyricsLines({QByteArray(), QByteArray(), cp932(u"歌"), QByteArray(), QByteArray()});
    display.RefreshLyricsLabels();
    engine.setLyricsLines({QByteArray(), QByteArray(), QByteArray("  "), QByteArray(), QByteArray()});
    display.RefreshLyricsLabels();

    EXPECT_EQ(labels[2]->text(), QStringLiteral("  "));
    EXPECT_EQ(middleColour(), QColor(255, 255, 0));
}

// The real middle label of the window is a WipeLabel: its sung part follows what the
// engine tells for each tick.
TEST(LyricsDisplayWipe, SungPartMovesWithTheEngineExtentWithinTheText)
{
    RecordingEngine engine;
    std::array<QLabel, 4> others;
    WipeLabel middle;
    middle.resize(336, 24);
    middle.setAlignment(Qt::AlignCenter);
    LyricsDisplay display(engine, {&others[0], &others[1], &middle, &others[2], &others[3]});
    engine.setLyricsLines({QByteArray(), QByteArray(), cp932(u"夜明けの"), QByteArray(), QByteArray()});

    const auto wipeAt = [&](std::optional<double> extent) {
        engine.setSungExtent(extent);
        display.RefreshLyricsLabels();
        return middle.wipeX();
    };
    EXPECT_EQ(wipeAt(std::nullopt), std::nullopt);  // a line not timed word by word
    EXPECT_EQ(middle.text(), QStringLiteral("夜明けの"));
    // Left to right from where the centred text starts, inside a character when fractional.
    std::vector<int> xs;
    for (const double extent : {0.0, 1.0, 1.5, 2.0, 4.0})
        xs.push_back(wipeAt(extent).value_or(-1));
    const std::optional<int> whole = xs.back();
    EXPECT_GT(xs.front(), 0);
    EXPECT_EQ(std::adjacent_find(xs.begin(), xs.end(), std::greater_equal<>()), xs.end())  // strictly rising
        << ::testing::PrintToString(xs);
    EXPECT_LT(xs.back(), middle.width());
    EXPECT_EQ(wipeAt(9.0), whole);  // an extent past a cut line stops at its end
    EXPECT_EQ(wipeAt(std::nullopt), std::nullopt);
}

}  // namespace

}  // namespace lyricue
