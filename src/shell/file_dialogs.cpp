#include "shell/file_dialogs.h"

#include "document/lyrics_document.h"
#include "shell/lyrics_files.h"

#include "audio/audio_formats.h"
#include "base/shell_paths.h"

namespace lyricue {

// The first three entries and their order are fixed (commands pick them by index): the
// formats mpg123 reads, lyrics, all files; the fourth lists every file the engine plays.
const QString FileDialogFilter =
    dialogFilterEntry(QStringLiteral("MP File"), FormatDecoder::Mpg123)
    + QStringLiteral("|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*|") + dialogFilterEntry(QStringLiteral("音楽 File"));

QString ShowOpenDialog(Prompts& prompts, FileDialogSettings& CommonDialog1)
{
    CommonDialog1.cancelError = true;
    CommonDialog1.flags = FileDialogSettings::FileMustExist;
    CommonDialog1.filter = FileDialogFilter;
    CommonDialog1.fileName.clear();
    return prompts.showOpenDialog(CommonDialog1) ? CommonDialog1.fileName : ErrorCancel;
}

QString ShowSaveDialog(Prompts& prompts, FileDialogSettings& CommonDialog1, const LyricsDocument& document)
{
    // The filter list stays as the last open dialog set it.
    CommonDialog1.cancelError = true;
    CommonDialog1.flags = FileDialogSettings::OverwritePrompt;
    if (CommonDialog1.filter.isEmpty())
        CommonDialog1.filter = FileDialogFilter;  // no open dialog has set it yet
    CommonDialog1.filterIndex = 2;
    // Lines that have no file yet are proposed under the track's name, as "song.txt".
    const QString& trackPath = document.trackPath();
    CommonDialog1.fileName = !document.LyricsPath().isEmpty() ? document.LyricsPath()
                             : trackPath.isEmpty()            ? QString()
                                                              : ChangeExtension(trackPath, QStringLiteral(".txt"));
    return prompts.showSaveDialog(CommonDialog1) ? CommonDialog1.fileName : ErrorCancel;
}

}  // namespace lyricue
