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
        const std::optional<qint64> ms = document.tagMs(line);
        if (!ms)
            continue;
        const SegmentedText segmented = document.segments(line);
        TagMarker marker{line, *ms, segmented.leadingTags, {}};
        for (std::size_t index = 0; index < segmented.segments.size(); ++index) {
            marker.text += segmented.segments[index].text;
            if (const std::optional<qint64> segmentMs = segmented.markerMs(index))
                marker.segments.push_back({static_cast<int>(index), *segmentMs});
        }
        marker.text.truncate(ShownTextLength);
        markers.push_back(std::move(marker));
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const TagMarker& a, const TagMarker& b) { return a.ms < b.ms; });
    return markers;
}

}  // namespace lyricue
