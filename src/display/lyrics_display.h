#pragma once

#include <QString>

#include <array>

namespace lyricue {

struct LyricsLinesRecord;

// The five lyric label texts for an engine record, top label first: the record's
// line 5 at the top down to its line 1 at the bottom.
std::array<QString, 5> lyricsLabelTexts(const LyricsLinesRecord& record);

}  // namespace lyricue
