#pragma once

#include "lyrics_sheet.h"
#include "program_state.h"
#include "result.h"

#include <QString>
#include <QStringList>

// The tag line 0 gets when a load gives it none: stamping starts there.
inline const QString StartTag = QStringLiteral("[00:00:00]");

// The most lines a sheet holds: line counts and the row count (lines + 1) are 16-bit signed.
constexpr qsizetype MaxLyricLines = 32766;

// Refuses more lines than a sheet holds, with a message naming the file.
Result checkLineCount(const QString& path, qsizetype lineCount);

// The sheet of a load before any line is in: header, column widths, one line row
// with StartTag and an empty text; StampRow and LineCount 0.
void resetLyricsSheet(LyricsSheet& sheet, ProgramState& state);

// Replaces the sheet's lines with `texts` and their `tags` (as many, an empty tag for
// a line without one): the reset above, then one row per line. LineCount and
// LyricLines (the texts and one empty text after them) follow; StampRow is 0, the
// current row 1, and the sheet is shown from its top.
void showLyricLines(LyricsSheet& sheet, ProgramState& state, QStringList tags, QStringList texts);
