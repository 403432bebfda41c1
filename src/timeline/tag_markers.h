#pragma once

#include <QString>

#include <vector>

namespace lyricue {

class LyricsDocument;

// A timed segment after the first of a line timed word by word (the first segment's time
// is the line's own marker).
struct SegmentMark {
    int segment = 0;
    qint64 ms = 0;
};

// A line whose tag holds a time: where the timeline draws its marker.
struct TagMarker {
    int line = 0;
    qint64 ms = 0;
    QString text;  // the start of the line's text as shown, without its inner marks
    std::vector<SegmentMark> segments;  // its timed segments after the first, in order
};

// The tagged lines of the document, in time order (lines of equal time in line order).
std::vector<TagMarker> tagMarkers(const LyricsDocument& document);

}  // namespace lyricue
