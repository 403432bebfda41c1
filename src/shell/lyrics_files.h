#pragma once

#include "audio/audio_engine.h"
#include "base/prompts.h"
#include "document/lyrics_document.h"

#include <QString>

namespace lyricue {

// The marker a cancelled file dialog leaves in SelectedPath.
inline const QString ErrorCancel = QStringLiteral("Error_Cancel");

// What the lyrics file commands work on: the engine that is handed the file, the
// prompts, the lyrics document, the one file dialog object, and SelectedPath, the path
// last chosen in an open dialog (ErrorCancel after a cancel), which these commands own.
struct LyricsFiles {
    AudioEngine& engine;
    Prompts& prompts;
    LyricsDocument& document;
    FileDialogSettings& CommonDialog1;
    QString SelectedPath;
};

// Puts `content` in the document as one undoable step named `actionText` (a load, an
// import, a restore): its lines, LyricsPath and stamp cursor (StampRow 0 and row 1 for a
// fresh load) replace the document's, and undoing the step brings back those before it.
// With `engineGivenTheFile`, the load has handed content.lyricsPath to the engine: undo
// gives the engine its earlier lyrics file back and redo this one again. The steps
// before it are forgotten.
void replaceLyrics(LyricsDocument& document, LyricsContent content, const QString& actionText,
                   AudioEngine* engineGivenTheFile = nullptr);
inline void replaceLyrics(LyricsFiles& files, LyricsContent content, const QString& actionText)
{
    replaceLyrics(files.document, std::move(content), actionText);
}

}  // namespace lyricue
