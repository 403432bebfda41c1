#include "timeline/tag_markers.h"

#include "document/lyrics_document.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

// Each tagged line's marker shows its text as the sheet does, with a mark for each timed
// segment after the first; an untagged line has neither.
TEST(TagMarkers, TextWithoutInnerMarksAndAMarkPerTimedSegment)
{
    const std::pair<QString, QString> lines[] = {
        {QStringLiteral("[00:03:00]"), QStringLiteral("夜[00:03:50]明|け[00:04:20]の空が白く光る")},
        {QStringLiteral("[00:01:00]"), QStringLiteral("plain line")},
        {QString(), QStringLiteral("無[00:02:00]印")},
        {QStringLiteral("[00:05:00]"), QStringLiteral("[00:09:00]二度目[00:05:40]も")},
    };
    LyricsDocument document;
    document.setRows(5);
    document.setLineCount(4);
    for (int line = 0; line < 4; ++line) {
        document.setCellAt(LineTagIndex(document, line), lines[line].first);
        document.setCellAt(LineTagIndex(document, line) + 1, lines[line].second);
    }
    using Marks = std::vector<std::pair<int, qint64>>;
    const std::tuple<int, qint64, QString, Marks> expected[] = {
        {1, 1000, QStringLiteral("plain line"), {}},
        {0, 3000, QStringLiteral("夜明けの空が白く光る"), {{1, 3500}, {3, 4200}}},
        {3, 5000, QStringLiteral("[00:09:00]二度"), {{1, 5400}}},
    };
    const std::vector<TagMarker> markers = tagMarkers(document);
    ASSERT_EQ(markers.size(), std::size(expected));
    for (std::size_t i = 0; i < markers.size(); ++i) {
        Marks marks;
        for (const SegmentMark& mark : markers[i].segments)
            marks.emplace_back(mark.segment, mark.ms);
        EXPECT_EQ(std::make_tuple(markers[i].line, markers[i].ms, markers[i].text, marks), expected[i]) << i;
    }
}

}  // namespace

}  // namespace lyricue
