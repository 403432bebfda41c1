#include "timeline/tag_markers.h"

#include "document/lyrics_document.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

// What the timeline draws for each line: its marker with the text as the sheet shows it,
// and a mark for each timed segment after the first.
TEST(TagMarkers, TextWithoutInnerMarksAndAMarkPerTimedSegment)
{
    struct Line {
        const char16_t* tag;
        const char16_t* text;
    };
    const Line lines[] = {
        {u"[00:03:00]", u"夜[00:03:50]明|け[00:04:20]の空が白く光る"},
        {u"[00:01:00]", u"plain line"},
        {u"", u"無[00:02:00]印"},
        {u"[00:05:00]", u"[00:09:00]二度目[00:05:40]も"},
    };
    LyricsDocument document;
    document.setRows(static_cast<int>(std::size(lines)) + 1);
    document.setLineCount(static_cast<std::int16_t>(std::size(lines)));
    for (int line = 0; line < static_cast<int>(std::size(lines)); ++line) {
        document.setCellAt(LineTagIndex(document, line), QString::fromUtf16(lines[line].tag));
        document.setCellAt(LineTagIndex(document, line) + 1, QString::fromUtf16(lines[line].text));
    }

    const std::vector<TagMarker> markers = tagMarkers(document);
    ASSERT_EQ(markers.size(), 3u);  // the untagged line has no marker, nor its segments
    struct Expected {
        int line;
        qint64 ms;
        QString text;
        std::vector<std::pair<int, qint64>> segments;
    };
    const Expected expected[] = {
        {1, 1000, QStringLiteral("plain line"), {}},
        {0, 3000, QStringLiteral("夜明けの空が白く光る"), {{1, 3500}, {3, 4200}}},
        {3, 5000, QStringLiteral("[00:09:00]二度"), {{1, 5400}}},
    };
    for (std::size_t i = 0; i < markers.size(); ++i) {
        EXPECT_EQ(markers[i].line, expected[i].line) << i;
        EXPECT_EQ(markers[i].ms, expected[i].ms) << i;
        EXPECT_EQ(markers[i].text, expected[i].text) << i;
        std::vector<std::pair<int, qint64>> segments;
        for (const SegmentMark& mark : markers[i].segments)
            segments.emplace_back(mark.segment, mark.ms);
        EXPECT_EQ(segments, expected[i].segments) << i;
    }
}

}  // namespace

}  // namespace lyricue
