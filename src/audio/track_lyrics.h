#pragma once

#include "base/result.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace lyricue {

// Lyrics carried in a track's own tags, as the tag module reads and writes them.
struct TrackLyrics {
    // One synchronised line (ID3v2 SYLT): its time and text.
    struct TimedLine {
        qint64 ms = 0;
        QString text;
        bool operator==(const TimedLine&) const = default;
    };
    std::vector<TimedLine> timedLines;  // SYLT lines in file order; empty when there are none
    QString timedSource;                // where they were found ("ID3v2 SYLT"); empty when nowhere
    QString text;                       // USLT, LYRICS, UNSYNCEDLYRICS or ©lyr: LRC or plain text
    QString textSource;                 // where it was found ("Vorbis comment LYRICS"); empty when nowhere

    bool isEmpty() const { return timedLines.empty() && text.isEmpty(); }
};

// The lyrics the track at `path` carries: SYLT and USLT of an MP3's ID3v2 tag or a WAV
// file's "id3 " chunk, the Vorbis comments LYRICS and UNSYNCEDLYRICS of FLAC, Ogg Vorbis
// and Opus, MP4's ©lyr. Latin-1 frames are read as the lyrics files are (CP932 or
// UTF-8); SYLT times in MPEG frames become milliseconds. Empty when the track carries
// none; fails when the track cannot be read (or the tag module is missing).
ResultOf<TrackLyrics> readTrackLyrics(const QString& path);

// Writes `lyrics` into the track at `path`, replacing the lyrics it carried:
// MP3 and WAV get one SYLT (milliseconds) of the timed lines and one USLT of the text,
// UTF-8 in an ID3v2.4 tag or UTF-16 in v2.3 (the version the file has; a file without
// a tag gets v2.4); FLAC, Ogg Vorbis and Opus the comment LYRICS; MP4 ©lyr. The
// track is changed in a copy beside it, whose audio data must equal the original's
// byte for byte before the copy replaces it: on any failure the track is as it was,
// and the message says why. RMP files cannot hold lyrics and are refused.
Result writeTrackLyrics(const QString& path, const TrackLyrics& lyrics);

}  // namespace lyricue
