#include "lyrics_format.h"

TaggedLine splitLyricTag(QStringView line)
{
    if (line.startsWith(u'[')) {
        for (const qsizetype tagLength : {7, 10}) {
            if (line.size() >= tagLength && line[tagLength - 1] == u']')
                return {line.left(tagLength).toString(), line.mid(tagLength).toString()};
        }
    }
    return {QString(), line.toString()};
}

QString joinLyricTag(QStringView tag, QStringView text)
{
    QString line;
    line.reserve(tag.size() + text.size());
    return line.append(tag).append(text);
}
