#pragma once

#include "shell/lyrics_files.h"

namespace lyricue {

// "歌詞保存": the save dialog (which asks before replacing an existing file), then
// the write to the chosen file (WriteLyricsFile). The dialog proposes LyricsPath, or for
// lines with no file yet the track's name with ".txt" (nothing without a track). A failed
// write shows its message and leaves LyricsPath as it was before the dialog.
void SaveLyrics(LyricsFiles& files);

// "再読込": writes to LyricsPath with no dialog and hands the file to the engine. Without
// a LyricsPath it says so and points to "歌詞保存".
// When LyricsPath is an existing file that is neither the one the sheet was loaded
// from nor the one it was last saved to, the user is asked first (Yes/No; No
// changes nothing). A failed write shows its message and does not touch the engine.
void SaveAndLoadLyrics(LyricsFiles& files);

}  // namespace lyricue
