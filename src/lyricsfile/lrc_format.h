#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace lyricue {

// Standard LRC, the timed lyrics format of music players: "[mm:ss.xx]text" lines
// and header lines such as "[ti:Title]", "[ar:Artist]", "[offset:+250]".

// What an LRC file gives the sheet.
struct LrcLyrics {
    // Header lines as they stood, in file order; an [offset:] that was applied is left out.
    QStringList headers;
    // One entry per sheet line: its tag ("[mm:ss:xx]", empty for a line without a
    // time) and its text.
    QStringList tags;
    QStringList texts;
};

// Reads the text of an LRC file, split into lines as splitLines (ansi_text.h) does.
// - A header is a whole line "[key:value]" with a key of lower-case ASCII letters.
// - A line's leading time tags (time_tag.h) give its times; each becomes the sheet tag
//   [mm:ss:xx], hundredths cut off, never rounded up.
// - [offset:N] (milliseconds, a sign allowed) is applied as players apply it: every
//   time becomes time - N (0 at the least), the word tags of enhanced LRC ("<mm:ss.xx>"
//   inside a line) too. It is not kept as a header, since the times now hold it.
// - The word tags of a timed line become its segments' time tags ("[mm:ss:xx]" before
//   each word, lyric_segments.h); a word tag that opens the line gives the line its time.
// - A line with several times gives one sheet line per time; the sheet lines are
//   then put in time order, each line without a time staying after the line it
//   followed. A file with one time or none per line keeps its order.
// - Any other line (no time, or something else in brackets) is a sheet line with an
//   empty tag and the whole line as its text.
LrcLyrics parseLrc(QStringView text);

// The LRC line of a sheet line: "[mm:ss.xx]" and the text when the tag cell holds a
// time, otherwise the tag cell and the text as they stand (an untagged line stays a
// line without a time). A text timed word by word is written as enhanced LRC:
// "[mm:ss.xx]<mm:ss.xx>word <mm:ss.xx>word", its "|" boundaries without times left out.
void lrcLineOf(QStringView tag, QStringView text, QString& line);

// Header lines for a track: [ti:], [ar:] and [al:] for the texts that are not empty,
// and [length:mm:ss] when the length is known (above 0).
QStringList lrcTrackHeaders(const QString& title, const QString& artist, const QString& album, qint64 lengthMs);

}  // namespace lyricue
