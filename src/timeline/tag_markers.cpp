#include "timeline/tag_markers.h"

#include "document/lyrics_document.h"

#include <algorithm>
#include <optional>

namespace lyricue {

namespace {

constexpr int ShownTextLength = 12;

}  // namespace

std::vector<TagMarker> tagMarkers(const LyricsDocument& document)
{
    std::vector<TagMarker> markers;
    for (int line = 0; line < document.lineRows(); ++line) {
        if (document.line(line).tag.isEmpty())
            continue;
        if (const std::optional<qint64> ms = document.tagMs(line))
            markers.push_back({line, *ms, document.line(line).text.left(ShownTextLength)});
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const TagMarker& a, const TagMarker& b) { return a.ms < b.ms; });
    return markers;
}

}  // namespace lyricue
