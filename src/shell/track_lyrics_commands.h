#pragma once

#include "lyricsfile/track_lyrics_content.h"
#include "shell/lyrics_files.h"

#include <QString>

#include <optional>

namespace lyricue {

// "曲の歌詞を読込": the lyrics the open track carries in its tags into the sheet, as one
// undoable load; LyricsPath becomes the track's name with ".txt", so that "再読込" saves
// them beside it. No track, a track without lyrics or one that cannot be read is said.
void LoadTrackLyrics(LyricsFiles& files);

// "曲に歌詞を書込": the sheet's lines written into the open track's tags (audio/
// track_lyrics.h says which), replacing the lyrics it carried; the message names the
// tags written, or why nothing was written.
void WriteTrackLyrics(LyricsFiles& files);

// The lyrics the track at `trackPath` carries, as the sheet would take them; none when
// it carries none or cannot be read (opening a track offers them only when they are there).
std::optional<EmbeddedLyrics> lyricsInTrack(const QString& trackPath);

// Puts lyrics found in the track at `trackPath` in the sheet as one undoable step that
// undoes back to LyricsPath `pathBefore`; LyricsPath becomes the track's name with ".txt".
void loadEmbeddedLyrics(LyricsFiles& files, EmbeddedLyrics lyrics, const QString& trackPath,
                        const QString& pathBefore);

}  // namespace lyricue
