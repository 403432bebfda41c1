#pragma once

#include "lyrics_files.h"

#include <QString>

// Writes lines 0 to LineCount - 1 of the sheet, tag directly followed by text, to
// LyricsPath in the encoding of the loaded file (LyricsEncoding), each line ended
// by CR LF. The file is replaced only when everything could be written. Returns
// an empty text on success, otherwise the message for the user (naming the file
// and the reason, or the line and the character the encoding cannot hold).
QString WriteLyricsFile(const LyricsSheet& sheet, const ProgramState& state);

// "歌詞保存": the save dialog, then the write to the chosen file. A failed write
// shows its message and leaves LyricsPath as it was before the dialog.
void SaveLyrics(LyricsFiles& files);

// "再読込": writes to LyricsPath with no dialog and hands the file to the engine.
// A failed write shows its message and does not touch the engine.
void SaveAndLoadLyrics(LyricsFiles& files);
