#pragma once

#include "shell/lyrics_files.h"

#include <QString>
#include <QStringList>

namespace lyricue {

// The filter list of the LRC dialogs: LRC files, lyrics files, all files.
extern const QString LrcDialogFilter;

// "LRC 読込": the open dialog, then the chosen LRC file, in any encoding the loader
// knows, into the sheet (see parseLrc). Its header lines are kept in lrcHeaders for
// the export. LyricsPath becomes the LRC file's path with ".txt" for its extension,
// so that "歌詞保存" proposes it and "再読込" saves there (asking first when that
// file exists, since the sheet did not come from it); SelectedPath becomes the LRC
// file's path. A file that cannot be read, holds no lyric line or more lines than
// the sheet takes is reported, and nothing changes. `dialog` is the LRC dialogs'
// own settings object, so the lyrics dialogs keep theirs.
void ImportLrc(LyricsFiles& files, FileDialogSettings& dialog);

// "LRC 書出し": the save dialog (proposing the track's name, else the lyrics
// file's, with ".lrc"), then the sheet written there as LRC (WriteLrcFile, lyricsfile/lrc_file.h) with
// the headers kept from an import, or else [ti:], [ar:], [al:] and [length:] from
// the track's tags and length as the engine reports them.
void ExportLrc(LyricsFiles& files, FileDialogSettings& dialog);


}  // namespace lyricue
