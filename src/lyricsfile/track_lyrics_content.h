#pragma once

#include "audio/track_lyrics.h"
#include "base/result.h"
#include "document/lyrics_document.h"

#include <QString>

namespace lyricue {

// Lyrics found in a track, as the sheet takes them, and where they were found.
struct EmbeddedLyrics {
    LyricsContent content;
    QString source;  // "ID3v2 SYLT", "Vorbis comment LYRICS", ...
};

// The sheet content of a track's lyrics (`trackPath` names the track in messages):
// - a text holding LRC times is read as an LRC file is (parseLrc): it keeps every line,
//   also those without a time, and its headers;
// - else the SYLT lines, each time becoming the line's tag [mm:ss:xx];
// - else the text's lines, through the same LRC reader, with empty tags.
// UTF-8 is the content's encoding, for a later save. Fails when there are more lines
// than the sheet holds.
ResultOf<EmbeddedLyrics> embeddedLyricsContent(const TrackLyrics& lyrics, const QString& trackPath);

// Lines 0 to LineCount - 1 of the document as a track's lyrics: the text is the LRC of
// the kept LRC headers and every line (lrcLineOf, word times included), lines joined by
// LF; the timed lines are the lines whose tag is a time, as sung (without word times),
// one more for each further time a repeated line holds in front, in time order. Fails when there is no line, or when
// a line holds a byte that was no text in its file (it has no Unicode form).
ResultOf<TrackLyrics> trackLyricsOf(const LyricsDocument& document);

}  // namespace lyricue
