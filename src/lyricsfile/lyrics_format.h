#pragma once

#include <QString>
#include <QStringView>

namespace lyricue {

// A lyrics line split into its leading time tag and its text.
struct TaggedLine {
    QString tag;   // empty when the line has no tag
    QString text;  // the rest of the line, nothing trimmed
};

// The length of the line's leading time tag (time_tag.h), or 0 when it starts with none.
qsizetype lyricTagLength(QStringView line);

// Splits a line into its leading time tag ([01:23], [01:23:45], [01:23.45] ...) and the
// rest. A bracket that holds no time ("[Intro]", "[Chorus 1]") is part of the text, so a
// section label stays a lyric when a time is stamped in front of it.
TaggedLine splitLyricTag(QStringView line);

// A line as it is written back: the tag directly followed by the text.
QString joinLyricTag(QStringView tag, QStringView text);
// The same into `line`, which keeps its room: a writer joining line after line into one
// string allocates only when a line is longer than all before it.
void joinLyricTag(QStringView tag, QStringView text, QString& line);

}  // namespace lyricue
