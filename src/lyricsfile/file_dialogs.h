#pragma once

#include "document/program_state.h"
#include "base/prompts.h"

#include <QString>

namespace lyricue {

// The filter list of every file dialog: three entries, music, lyrics, all files.
extern const QString FileDialogFilter;

// Shows the open dialog. SelectedPath receives the chosen full path; on a cancel
// (or any failure of the dialog) it receives ErrorCancel. LyricsPath is left alone.
// The caller preselects the filter entry before the call.
void ShowOpenDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, ProgramState& state);

// Shows the save dialog proposing LyricsPath (else the track's name with ".txt") with the
// lyrics filter preselected.
// True when confirmed: the chosen path is then CommonDialog1.fileName. On a cancel
// SelectedPath receives ErrorCancel and LyricsPath is left as it was.
bool ShowSaveDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, ProgramState& state);

}  // namespace lyricue
