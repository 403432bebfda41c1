#include "lyrics_format.h"

qsizetype lyricTagLength(QStringView line)
{
    if (line.startsWith(u'[')) {
        for (const qsizetype tagLength : {7, 10}) {
            if (line.size() >= tagLength && line[tagLength - 1] == u']')
                return tagLength;
        }
    }
    return 0;
}

TaggedLine splitLyricTag(QStringView line)
{
    const qsizetype tagLength = lyricTagLength(line);
    return {line.left(tagLength).toString(), line.mid(tagLength).toString()};
}

QString joinLyricTag(QStringView tag, QStringView text)
{
    QString line;
    line.reserve(tag.size() + text.size());
    return line.append(tag).append(text);
}

void joinLyricTag(QStringView tag, QStringView text, QString& line)
{
    line.resize(0);
    line.append(tag).append(text);
}
