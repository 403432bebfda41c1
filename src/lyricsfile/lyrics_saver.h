#pragma once

#include "lyricsfile/lyrics_files.h"
#include "base/result.h"

namespace lyricue {

// Writes lines 0 to LineCount - 1 of the document, tag directly followed by text, to
// `path` in the encoding of the loaded file, each line ended
// by CR LF. The file is replaced only when everything could be written. A failure
// names the file and the reason, or the line and the character the encoding
// cannot hold.
Result WriteLyricsFile(const LyricsDocument& document, const QString& path);
// The bytes WriteLyricsFile writes for the document, with no file: a failure names the
// line and the character the encoding cannot hold.
ResultOf<QByteArray> lyricsFileBytes(const LyricsDocument& document);

// "歌詞保存": the save dialog (which asks before replacing an existing file), then
// the write to the chosen file. The dialog proposes LyricsPath, or for lines with no
// file yet the track's name with ".txt" (nothing without a track). A failed write shows
// its message and leaves LyricsPath as it was before the dialog.
void SaveLyrics(LyricsFiles& files);

// "再読込": writes to LyricsPath with no dialog and hands the file to the engine. Without
// a LyricsPath it says so and points to "歌詞保存".
// When LyricsPath is an existing file that is neither the one the sheet was loaded
// from nor the one it was last saved to, the user is asked first (Yes/No; No
// changes nothing). A failed write shows its message and does not touch the engine.
void SaveAndLoadLyrics(LyricsFiles& files);

}  // namespace lyricue
