#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lyricue {

struct LyricsLinesRecord;

// The engine's timed lyrics: reads a lyrics file and tells the five lines to show
// for a play position.
//
// A line's times are its leading time tags (time_tag.h); several leading tags give the
// line several times. Anything else in brackets ([Intro], [ar:Name]) is no time tag, and
// a line without a time is not shown. The text shown is what follows the tags without the
// marks of its segments (lyric_segments.h: inner time tags and "|"), in CP932: bytes of a CP932
// file that are no valid character are passed on as they were, and characters
// CP932 cannot hold show as 〓, since the record is for display only.
// Not synchronised: its owner must not call load() and linesAt() at the same time.
class LyricsTimer {
public:
    // Reads the file with the program's text file rules (CP932 or UTF-8, CR LF, CR
    // or LF line ends); fails, with no lines, when it cannot be read.
    Result load(const QString& path);
    void clear();
    // Fills the record's five lines for a position: lines[2] is the current line
    // (the last one whose time has been reached), lines[3] and lines[4] the one and
    // two before it, lines[1] and lines[0] the one and two after it. Before the
    // first time the current line is empty and the first two lines show as coming
    // (lines[1] and lines[0]). Missing lines are empty; texts are cut to fit their
    // field on a character boundary.
    void linesAt(std::int64_t positionMs, LyricsLinesRecord& record) const;
    // How much of the current line (lines[2] of linesAt) is sung at a position, as a count
    // of the characters of its shown text (UTF-16 code units of the text decoded from the
    // record), fractional inside a segment; none when there is no current line or it has
    // no segment times. Segment k is sung from its time to the next timed segment's;
    // untimed segments ("|") share the span of the timed ones around them equally; the
    // last ends at the next line's time, or with no later line after the line's mean
    // segment length. The inner times of a repeated line follow its first time.
    std::optional<double> sungExtentAt(std::int64_t positionMs) const;

private:
    // Where the segments of a line start in its shown text and their times, relative to
    // the line's first time; none for an untimed segment. The first is at 0, time 0.
    struct SegmentTimes {
        std::vector<double> starts;
        std::vector<std::optional<std::int64_t>> offsetsMs;
        double length = 0;
    };
    struct TimedLine {
        std::int64_t ms;
        QByteArray cp932Text;
        std::shared_ptr<const SegmentTimes> segments;  // null without inner times
    };
    // The index of the last line whose time has been reached; -1 before the first.
    std::ptrdiff_t currentAt(std::int64_t positionMs) const;
    std::vector<TimedLine> m_lines;  // sorted by time, lines of equal time in file order
};

}  // namespace lyricue
