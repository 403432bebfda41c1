#pragma once

#include "base/prompts.h"

#include <QString>

namespace lyricue {

class LyricsDocument;

// The filter list of every file dialog: three entries, music, lyrics, all files.
extern const QString FileDialogFilter;

// Shows the open dialog: the chosen full path, or ErrorCancel on a cancel (or any
// failure of the dialog). The caller preselects the filter entry before the call.
QString ShowOpenDialog(Prompts& prompts, FileDialogSettings& CommonDialog1);

// Shows the save dialog proposing LyricsPath (else the track's name with ".txt") with the
// lyrics filter preselected: the chosen path, or ErrorCancel on a cancel.
QString ShowSaveDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, const LyricsDocument& document);

}  // namespace lyricue
