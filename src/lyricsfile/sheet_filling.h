#pragma once

#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "base/result.h"

#include <QString>
#include <QStringList>

namespace lyricue {

class AudioEngine;

// The tag line 0 gets when a load gives it none: stamping starts there.
inline const QString StartTag = QStringLiteral("[00:00:00]");

// Refuses more lines than a sheet holds, with a message naming the file.
Result checkLineCount(const QString& path, qsizetype lineCount);

// The content of a load: one line per text with its tag (as many tags, an empty
// one for a line without), LineCount the number of texts. No text gives the sheet
// of an empty load: one line row with StartTag and an empty text, LineCount 0.
LyricsContent lyricsContentOf(QStringList tags, QStringList texts);

// Puts `content` in the document as one undoable step named `actionText`: StampRow
// becomes 0, LyricsPath `lyricsPath` and LyricLines the texts and one empty text
// after them; undoing the step brings back the lines, StampRow and LyricsPath before it.
// When the load has handed `lyricsPath` to `engineGivenTheFile`, undo gives the engine
// its earlier lyrics file back and redo this one again. The steps before it are forgotten.
void replaceLyrics(LyricsDocument& document, ProgramState& state, LyricsContent content, const QString& lyricsPath,
                   const QString& actionText, AudioEngine* engineGivenTheFile = nullptr);

}  // namespace lyricue
