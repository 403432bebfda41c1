#pragma once

#include "lyrics_files.h"

// Chooses the lyrics file (the same-named ".txt" of SelectedPath after a Yes, or
// the open dialog), hands it to the engine and fills the sheet with its lines,
// tag in column 0 and text in column 1; StampRow 0, current row 1.
//
// A file that cannot be read, or holds more lines than the sheet can take, is
// reported with a message naming the file and the reason. The sheet has been
// reset by then, so LyricsPath is emptied: neither save command can then replace
// that file with the reset sheet.
void LoadLyrics(LyricsFiles& files);
