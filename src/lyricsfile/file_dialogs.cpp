#include "file_dialogs.h"

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
    if (prompts.showOpenDialog(CommonDialog1)) {
        state.SelectedPath = CommonDialog1.fileName;
    } else {
        state.SelectedPath = ErrorCancel;
        state.LyricsPath.clear();
    }
}

bool ShowSaveDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, ProgramState& state)
{
    // The filter list stays as the last open dialog set it.
    CommonDialog1.cancelError = true;
    CommonDialog1.flags = FileDialogSettings::OverwritePrompt;
    CommonDialog1.filterIndex = 2;
    CommonDialog1.fileName = state.LyricsPath;
    if (prompts.showSaveDialog(CommonDialog1))
        return true;
    state.SelectedPath = ErrorCancel;
    return false;
}
