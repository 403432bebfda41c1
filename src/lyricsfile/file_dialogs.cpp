#include "lyricsfile/file_dialogs.h"

#include "base/shell_paths.h"

namespace lyricue {

// The first three entries and their order are fixed (commands pick them by index); the
// fourth lists every file the engine plays.
const QString FileDialogFilter = QStringLiteral(
    "MP File(*.mp3,*.rmp)|*.mp3;*.rmp|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*"
    "|音楽 File(*.mp3,*.rmp,*.flac,*.ogg,*.oga,*.opus,*.m4a,*.mp4,*.wav)"
    "|*.mp3;*.rmp;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4;*.wav");

void ShowOpenDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, ProgramState& state)
{
    CommonDialog1.cancelError = true;
    CommonDialog1.flags = FileDialogSettings::FileMustExist;
    CommonDialog1.filter = FileDialogFilter;
    CommonDialog1.fileName.clear();
    // A cancel changes no lines, so LyricsPath keeps naming the file they belong to.
    state.SelectedPath = prompts.showOpenDialog(CommonDialog1) ? CommonDialog1.fileName : ErrorCancel;
}

bool ShowSaveDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, ProgramState& state)
{
    // The filter list stays as the last open dialog set it.
    CommonDialog1.cancelError = true;
    CommonDialog1.flags = FileDialogSettings::OverwritePrompt;
    if (CommonDialog1.filter.isEmpty())
        CommonDialog1.filter = FileDialogFilter;  // no open dialog has set it yet
    CommonDialog1.filterIndex = 2;
    // Lines that have no file yet are proposed under the track's name, as "song.txt".
    CommonDialog1.fileName = !state.LyricsPath.isEmpty() ? state.LyricsPath
                             : state.TrackPath.isEmpty() ? QString()
                                                         : ChangeExtension(state.TrackPath, QStringLiteral(".txt"));
    if (prompts.showSaveDialog(CommonDialog1))
        return true;
    state.SelectedPath = ErrorCancel;
    return false;
}

}  // namespace lyricue
