#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct LyricsLinesRecord;

// The engine's timed lyrics: reads a lyrics file and tells the five lines to show
// for a play position.
class LyricsTimer {
public:
    // Reads the file; false (and no lines) when it cannot be read.
    bool load(const QString& path);
    void clear();
    // Fills the record's five lines for a position: lines[2] is the current line,
    // lines[3] and lines[4] the one and two before it, lines[1] and lines[0] the one
    // and two after it. Missing lines are empty.
    void linesAt(std::int64_t positionMs, LyricsLinesRecord& record) const;

private:
    struct TimedLine {
        std::int64_t ms;
        QByteArray cp932Text;
    };
    std::vector<TimedLine> m_lines;  // sorted by time
};
