#pragma once

#include <QString>

#include <vector>

namespace lyricue {

class LyricsDocument;

// A line whose tag holds a time: where the timeline draws its marker.
struct TagMarker {
    int line = 0;
    qint64 ms = 0;
    QString text;  // the start of the line's text
};

// The tagged lines of the document, in time order (lines of equal time in line order).
std::vector<TagMarker> tagMarkers(const LyricsDocument& document);

}  // namespace lyricue
