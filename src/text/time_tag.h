#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace lyricue {

// The one reader and writer of time tags, for every part of the program that meets one:
// the lyrics file, the sheet, the five-line display, LRC, the timeline and the nudge.
//
// A time tag is minutes ":" seconds, then optionally "." and one to three digits
// (tenths, hundredths or thousandths) or ":" and two digits (hundredths), between
// brackets: [mm:ss], [mm:ss:xx], [mm:ss.xx], [mm:ss.xxx], [m:ss.x]. Minutes have one
// digit or more (leading zeros allowed, at most kLatestTagMs), seconds exactly two and
// below 60; there are never hours. Anything else in brackets ([Intro], [ar:Name]) is
// no time. Word tags inside an LRC line use the same shapes between "<" and ">".
namespace time_tag {

// The latest time a tag says: 999,999,999 minutes, 59.999 seconds. Beyond it a tag is
// no time, and times are held there, so that no arithmetic on them can overflow.
constexpr qint64 kLatestTagMs = (999'999'999LL * 60 + 59) * 1000 + 999;

struct Tag {
    qsizetype length;  // characters, brackets included
    qint64 ms;
};

// The time tag at the start of `text`, if it starts with one.
std::optional<Tag> read(QStringView text, char16_t open = u'[', char16_t close = u']');

// The milliseconds of a text that is exactly one time tag, or none.
std::optional<qint64> msOf(QStringView tag);

// The tag for a time as stamps write it: "[mm:ss:xx]", hundredths cut off (never rounded
// up), each field two digits, minutes more from 100 on; below 0 is 0, beyond
// kLatestTagMs is kLatestTagMs. `separator` is the one before the hundredths (':' for the
// lyrics file, '.' for LRC); `open` and `close` the brackets.
QString format(qint64 ms, char16_t separator = u':', char16_t open = u'[', char16_t close = u']');

}  // namespace time_tag

}  // namespace lyricue
