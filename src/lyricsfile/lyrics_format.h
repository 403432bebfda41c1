#pragma once

#include <QString>
#include <QStringView>

// A lyrics line split into its leading time tag and its text.
struct TaggedLine {
    QString tag;   // empty when the line has no tag
    QString text;  // the rest of the line, nothing trimmed
};

// The length of the line's leading time tag: 7, 10, or 0 when it has none (see splitLyricTag).
qsizetype lyricTagLength(QStringView line);

// Splits a line by position alone: "[" first and "]" as the 7th character gives a
// 7-character tag; otherwise "[" first and "]" as the 10th gives a 10-character tag.
// Positions count characters, not bytes; what stands between the brackets is not examined.
TaggedLine splitLyricTag(QStringView line);

// A line as it is written back: the tag directly followed by the text.
QString joinLyricTag(QStringView tag, QStringView text);
// The same into `line`, which keeps its room: a writer joining line after line into one
// string allocates only when a line is longer than all before it.
void joinLyricTag(QStringView tag, QStringView text, QString& line);
