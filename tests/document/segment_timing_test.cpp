#include "document/lyrics_document.h"

#include <functional>

#include <gtest/gtest.h>

namespace lyricue {

namespace {

// Timing word by word over a document whose first line is "夜明けの" (tag [00:10:00])
// and second "空": what each operation writes into line 0, where the cursor goes, and
// undo and redo putting both back.
struct SegmentCase {
    const char* name;
    StampCursor cursor;
    QString text;  // line 0's text before
    std::function<Result(LyricsDocument&)> operation;
    LyricLine lineAfter;
    StampCursor cursorAfter;
};

class SegmentOperations : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentOperations, ChangeTheLineAndCursorAsOneStep)
{
    const SegmentCase& c = GetParam();
    LyricsDocument document;
    document.setRows(3);
    document.setLineCount(2);
    document.setCellAt(LineTagIndex(document, 0), QStringLiteral("[00:10:00]"));
    document.setCellAt(LineTagIndex(document, 0) + 1, c.text);
    document.setCellAt(LineTagIndex(document, 1) + 1, QStringLiteral("空"));
    document.setCursor(c.cursor);
    const LyricLine before = document.line(0);

    ASSERT_TRUE(c.operation(document).ok());
    EXPECT_EQ(document.line(0).tag, c.lineAfter.tag);
    EXPECT_EQ(document.line(0).text, c.lineAfter.text);
    EXPECT_EQ(document.cursor(), c.cursorAfter);
    document.undoStack().undo();
    EXPECT_EQ(document.line(0), before);
    EXPECT_EQ(document.cursor(), c.cursor);
    document.undoStack().redo();
    EXPECT_EQ(document.line(0), c.lineAfter);
    EXPECT_EQ(document.cursor(), c.cursorAfter);
}

Result stampAt(LyricsDocument& document, const char* tag)
{
    return document.stampSegment(QString::fromLatin1(tag));
}

Result move(LyricsDocument& document, SegmentRef segment, qint64 ms)
{
    document.moveSegment(segment, ms);
    return Result();
}

const QString kTimed = u"夜[00:10:50]明[00:11:00]け[00:11:50]の"_qs;

INSTANTIATE_TEST_SUITE_P(
    Segments, SegmentOperations,
    ::testing::Values(
        SegmentCase{"FirstSegmentIsTheLineTag", {0, 1, 0}, u"夜明けの"_qs,
                    [](LyricsDocument& d) { return stampAt(d, "[00:09:00]"); },
                    {u"[00:09:00]"_qs, u"夜明けの"_qs}, {0, 1, 1}},
        SegmentCase{"LaterSegmentWritesItsTagAndKeepsTheSplit", {0, 1, 1}, u"夜明けの"_qs,
                    [](LyricsDocument& d) { return stampAt(d, "[00:10:50]"); },
                    {u"[00:10:00]"_qs, u"夜[00:10:50]明|け|の"_qs}, {0, 1, 2}},
        SegmentCase{"LastSegmentStepsToTheNextLine", {0, 1, 3}, u"夜[00:10:50]明[00:11:00]け|の"_qs,
                    [](LyricsDocument& d) { return stampAt(d, "[00:11:50]"); },
                    {u"[00:10:00]"_qs, kTimed}, {1, 2, 0}},
        SegmentCase{"SpacePassesTheRestOfTheLine", {0, 1, 2}, u"夜[00:10:50]明|け|の"_qs,
                    [](LyricsDocument& d) { return d.passSegments(); },
                    {u"[00:10:00]"_qs, u"夜[00:10:50]明|け|の"_qs}, {1, 2, 0}},
        SegmentCase{"SpaceOnTheFirstSegmentEmptiesTheTag", {0, 1, 0}, u"夜明けの"_qs,
                    [](LyricsDocument& d) { return d.passSegments(); }, {QString(), u"夜明けの"_qs}, {1, 2, 0}},
        SegmentCase{"MovedSegmentStopsAtItsNextNeighbour", {0, 1, 0}, kTimed,
                    [](LyricsDocument& d) { return move(d, {0, 1}, 20'000); },
                    {u"[00:10:00]"_qs, u"夜[00:11:00]明[00:11:00]け[00:11:50]の"_qs}, {0, 1, 0}},
        SegmentCase{"MovedSegmentStopsAtItsPreviousNeighbour", {0, 1, 0}, kTimed,
                    [](LyricsDocument& d) { return move(d, {0, 3}, 0); },
                    {u"[00:10:00]"_qs, u"夜[00:10:50]明[00:11:00]け[00:11:00]の"_qs}, {0, 1, 0}},
        SegmentCase{"MovedFirstSegmentMovesTheLineTag", {0, 1, 0}, kTimed,
                    [](LyricsDocument& d) { return move(d, {0, 0}, 10'230); },
                    {u"[00:10:23]"_qs, kTimed}, {0, 1, 0}},
        SegmentCase{"NudgeMovesTheSegmentLastStamped", {0, 1, 0}, kTimed,
                    [](LyricsDocument& d) {
                        d.selectSegment({0, 2});
                        d.nudgeSelectedSegment(-100);
                        return Result();
                    },
                    {u"[00:10:00]"_qs, u"夜[00:10:50]明[00:10:90]け[00:11:50]の"_qs}, {0, 1, 0}},
        SegmentCase{"DefaultSplitComesBack", {0, 1, 0}, u"夜明|けの"_qs,
                    [](LyricsDocument& d) {
                        d.restoreDefaultSplit(0);
                        return Result();
                    },
                    {u"[00:10:00]"_qs, u"夜明けの"_qs}, {0, 1, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
