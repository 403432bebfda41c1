#include "lyricsfile/lyrics_format.h"

#include "text/time_tag.h"

namespace lyricue {

qsizetype lyricTagLength(QStringView line)
{
    const std::optional<time_tag::Tag> tag = time_tag::read(line);
    return tag ? tag->length : 0;
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

}  // namespace lyricue
