#pragma once

#include "base/result.h"

#include <QString>

namespace lyricue {

struct TrackTagRecord;
struct TrackTextRecord;

// RIFF INFO chunk ids in the order of the fourteen TrackTextRecord texts:
// title, artist, album (product), date, genre, comment, copyright, engineer,
// source, software, keywords, technician, subject, medium.
inline constexpr const char* trackTextInfoIds[14] = {
    "INAM", "IART", "IPRD", "ICRD", "IGNR", "ICMT", "ICOP",
    "IENG", "ISRC", "ISFT", "IKEY", "ITCH", "ISBJ", "IMED",
};

// Fills the tag record from the file's ID3v2 tag (falling back to ID3v1) and the
// text record from a RIFF file's LIST/INFO chunk. Both records are zero-filled
// first. Fails when the file cannot be read at all (or the tag module is missing).
//
// Files of other formats fill title, artist and album only: WAVE files from their
// "id3 " chunk, else from their INFO texts (as raw bytes, which also fill the text
// record); FLAC, Ogg and MP4 files from their Vorbis comments or atoms, encoded to CP932.
//
// - Each tag field falls back to ID3v1 on its own: an ID3v2 field that is absent
//   or empty is taken from the ID3v1 tag, if there is one.
// - ID3v1 fields, Latin-1 ID3v2 frames and RIFF INFO texts are copied as the file
//   has them (ID3v1 fields lose only their trailing blanks): CP932, or UTF-8 as
//   ffmpeg and many editors write them. record_text::fileText reads either.
//   UTF-16 and UTF-8 ID3v2 frames are encoded to CP932; a character CP932
//   cannot hold becomes 〓 (81 AC), since the record is for display only.
// - genreNumber is the ID3v1 genre index: from ID3v2 "(17)" / "17" or a standard
//   genre name, else from the ID3v1 tag; 255 (ID3v1's "no genre") when neither
//   gives one, also for files that cannot be read. genreName is the ID3v2 genre
//   text, or the standard name of the index.
// - year holds the first four bytes of the ID3v2 recording date or ID3v1 year.
// - comment is the ID3v2 comment without a description, else the first one.
// - Every text is NUL-terminated and cut on a character boundary of the encoding
//   record_text::fileText reads it in.
Result readTrackTags(const QString& path, TrackTagRecord& tags, TrackTextRecord& texts);

}  // namespace lyricue
