#pragma once

#include <QString>

#include <vector>

namespace lyricue {

class LyricsSheet;

// A line of the sheet whose tag cell holds a time: where the timeline draws its marker.
struct TagMarker {
    int line = 0;
    qint64 ms = 0;
    QString text;  // the start of the line's text
};

// The tagged lines of the sheet, in time order (lines of equal time in line order).
std::vector<TagMarker> tagMarkers(const LyricsSheet& sheet);

}  // namespace lyricue
