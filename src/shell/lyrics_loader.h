#pragma once

#include "shell/lyrics_files.h"

namespace lyricue {

// Chooses the lyrics file (the same-named ".txt" of SelectedPath after a Yes, or
// the open dialog), hands it to the engine and fills the sheet with its lines,
// tag in column 0 and text in column 1; StampRow 0, current row 1, shown from the top.
//
// A file that cannot be read, or holds more lines than the sheet can take, is
// reported with a message naming the file and the reason, and nothing changes:
// the sheet, StampRow, the current row, LyricsPath and the engine's lyrics stay
// as they were before the load.
void LoadLyrics(LyricsFiles& files);

// The same load for a file chosen elsewhere (dropped on the window): as if the open
// dialog of "歌詞読込" had given `path`.
void LoadLyricsFrom(LyricsFiles& files, const QString& path);

}  // namespace lyricue
