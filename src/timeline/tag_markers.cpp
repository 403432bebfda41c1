#include "timeline/tag_markers.h"

#include "text/time_tag.h"
#include "sheet/lyrics_sheet.h"

#include <algorithm>
#include <optional>

namespace lyricue {

namespace {

constexpr int ShownTextLength = 12;

}  // namespace

std::vector<TagMarker> tagMarkers(const LyricsSheet& sheet)
{
    std::vector<TagMarker> markers;
    const int lines = sheet.rows() - 1;
    for (int line = 0; line < lines; ++line) {
        const int index = LineTagIndex(sheet, line);
        const QString tag = sheet.cellAt(index);
        if (tag.isEmpty())
            continue;
        if (const std::optional<qint64> ms = time_tag::msOf(tag))
            markers.push_back({line, *ms, sheet.cellAt(index + 1).left(ShownTextLength)});
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const TagMarker& a, const TagMarker& b) { return a.ms < b.ms; });
    return markers;
}

}  // namespace lyricue
