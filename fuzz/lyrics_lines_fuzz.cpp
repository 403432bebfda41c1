// Lyrics line reader and tag splitter: bytes in any encoding decoded, split into lines, each line split into tag and text.
#include "text/ansi_text.h"
#include "fuzz_support.h"
#include "lyricsfile/lyrics_format.h"
#include "text/time_tag.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

using namespace lyricue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = decodeText(bytes, detectEncoding(bytes));
    const QStringList lines = splitLines(text);

    for (const QString& line : lines) {
        fuzz::check(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds no line end");
        fuzz::check(!line.contains(QChar(u'\0')), "a line is cut at its first NUL");

        const TaggedLine split = splitLyricTag(line);
        const qsizetype tagLength = split.tag.size();
        fuzz::check(tagLength == lyricTagLength(line), "the split agrees with the tag length");
        fuzz::check(split.tag + split.text == line, "tag and text make the line");
        fuzz::check(joinLyricTag(split.tag, split.text) == line, "joining gives the line back");
        if (tagLength > 0)
            fuzz::check(time_tag::msOf(split.tag).has_value(), "a tag holds a time");
        else
            fuzz::check(!time_tag::read(line).has_value(), "a line that starts with a time has a tag");
    }
    // Without NULs the lines are the text with every CR LF, CR or LF as one line end.
    if (!text.contains(QChar(u'\0'))) {
        QString ends = text;
        ends.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (ends.endsWith(u'\n'))
            ends.chop(1);
        fuzz::check(lines.join(u'\n') == ends && (lines.isEmpty() == text.isEmpty()),
                    "lines are the text split at its line ends");
    }
    return 0;
}

