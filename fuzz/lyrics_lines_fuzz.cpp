// Lyrics line reader and tag splitter: bytes in any encoding decoded, split into lines, each line split into tag and text.
#include "ansi_text.h"
#include "fuzz_support.h"
#include "lyrics_format.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

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
        fuzz::check(tagLength == 0 || tagLength == 7 || tagLength == 10, "a tag has 0, 7 or 10 characters");
        fuzz::check(tagLength == lyricTagLength(line), "the split agrees with the tag length");
        fuzz::check(split.tag + split.text == line, "tag and text make the line");
        fuzz::check(joinLyricTag(split.tag, split.text) == line, "joining gives the line back");
        if (tagLength > 0) {
            fuzz::check(split.tag.front() == u'[' && split.tag.back() == u']', "a tag is bracketed");
        } else if (line.startsWith(u'[')) {
            fuzz::check((line.size() < 7 || line[6] != u']') && (line.size() < 10 || line[9] != u']'),
                        "a line with a closing bracket at 7 or 10 has a tag");
        }
        if (tagLength == 10)
            fuzz::check(line[6] != u']', "the 7-character tag wins over the 10-character one");
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
