#pragma once

namespace lyricue {

class LyricsSheet;

// The sheet's shape at start-up: the header and 14 empty lines, current row 1.
void shapeSheetAtStartUp(LyricsSheet& sheet);

}  // namespace lyricue
