#include "text/lyric_segments.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace lyricue {

namespace {

QStringList segmentTexts(const QString& cell)
{
    QStringList texts;
    for (const LyricSegment& segment : lyric_segments::split(cell).segments)
        texts << segment.text;
    return texts;
}

struct SplitCase {
    const char16_t* cell;
    QStringList segments;
};

// The default split of Japanese, Latin and mixed lines, and the cell's own boundaries.
class SegmentSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SegmentSplit, CutsTheLineWhereItIsSung)
{
    const QString cell = QString::fromUtf16(GetParam().cell);
    EXPECT_EQ(segmentTexts(cell), GetParam().segments);
    // Whatever the split, writing the segments back gives the cell unchanged.
    EXPECT_EQ(lyric_segments::split(cell).joined(), cell);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SegmentSplit,
    ::testing::Values(
        SplitCase{u"夜明けの", {u"夜"_qs, u"明"_qs, u"け"_qs, u"の"_qs}},
        SplitCase{u"きゃっと", {u"きゃっ"_qs, u"と"_qs}},
        SplitCase{u"ラーメン、ください。", {u"ラー"_qs, u"メ"_qs, u"ン、"_qs, u"く"_qs, u"だ"_qs, u"さ"_qs, u"い。"_qs}},
        SplitCase{u"ｷｬｯﾄ", {u"ｷｬｯ"_qs, u"ﾄ"_qs}},
        SplitCase{u"Hello, world  again", {u"Hello, "_qs, u"world  "_qs, u"again"_qs}},
        SplitCase{u"don't stop", {u"don't "_qs, u"stop"_qs}},
        SplitCase{u"2024年にLOVEを", {u"2024"_qs, u"年"_qs, u"に"_qs, u"LOVE"_qs, u"を"_qs}},
        SplitCase{u"「夜」の　空", {u"「夜」"_qs, u"の　"_qs, u"空"_qs}},
        SplitCase{u"𠮷野家", {u"𠮷"_qs, u"野"_qs, u"家"_qs}},
        SplitCase{u"", {QString()}},
        // The user's "|" boundaries replace the default ones of the line.
        SplitCase{u"今日|は", {u"今日"_qs, u"は"_qs}},
        // Inner time tags are boundaries; [Intro] is text; leading tags stay the line's.
        SplitCase{u"夜[00:12:56]明け[00:13.1][Intro]", {u"夜"_qs, u"明け"_qs, u"[Intro]"_qs}},
        SplitCase{u"[00:40:00]夜明け", {u"夜"_qs, u"明"_qs, u"け"_qs}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct MarkCase {
    const char16_t* cell;
    std::size_t segment;
    const char16_t* marker;
    const char16_t* after;
};

// Timing a segment writes its tag before it; a half-timed line keeps its default split
// written out, so that it reads back the same.
class SegmentMarking : public ::testing::TestWithParam<MarkCase> {};

TEST_P(SegmentMarking, WritesTheTagBeforeTheSegment)
{
    const MarkCase& c = GetParam();
    const QString after = QString::fromUtf16(c.after);
    EXPECT_EQ(lyric_segments::withMarker(QString::fromUtf16(c.cell), c.segment, QString::fromUtf16(c.marker)), after);
    EXPECT_EQ(segmentTexts(after), segmentTexts(QString::fromUtf16(c.cell)));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, SegmentMarking,
    ::testing::Values(MarkCase{u"夜明けの", 1, u"[00:12:56]", u"夜[00:12:56]明|け|の"},
                      MarkCase{u"夜[00:12:56]明|け|の", 3, u"[00:13:10]", u"夜[00:12:56]明|け[00:13:10]の"},
                      MarkCase{u"夜[00:12.56]明|け|の", 2, u"[00:12:80]", u"夜[00:12.56]明[00:12:80]け|の"},
                      MarkCase{u"今日|は", 1, u"[00:01:00]", u"今日[00:01:00]は"},
                      MarkCase{u"夜明け", 0, u"[00:01:00]", u"夜明け"},
                      MarkCase{u"夜明け", 7, u"[00:01:00]", u"夜明け"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(SegmentText, ShownWithoutInnerMarksAndDefaultsRestored)
{
    EXPECT_EQ(lyric_segments::shownText(u"[00:40:00]夜[00:12:56]明|け"), u"[00:40:00]夜明け"_qs);
    EXPECT_EQ(lyric_segments::withDefaultSplit(u"今日|は"), u"今日は"_qs);
    // Times already given stay where they are; the rest of the line is split as by default.
    EXPECT_EQ(lyric_segments::withDefaultSplit(u"今日[00:01:00]は|晴れ"), u"今|日[00:01:00]は|晴|れ"_qs);
    const SegmentedText text = lyric_segments::split(u"夜[00:12:56]明|け");
    EXPECT_EQ(text.markerMs(1), 12'560);
    EXPECT_EQ(text.markerMs(2), std::nullopt);
    EXPECT_EQ(lyric_segments::shownStarts(text), (std::vector<qsizetype>{0, 1, 2}));
}

}  // namespace

}  // namespace lyricue
