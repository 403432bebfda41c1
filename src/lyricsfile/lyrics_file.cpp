#include "lyricsfile/lyrics_file.h"

#include "lyricsfile/lyrics_format.h"
#include "text/ansi_text.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace lyricue {

namespace {

// The lines a save writes: 0 to LineCount - 1, as far as the document holds rows.
int savedLineCount(const LyricsDocument& document)
{
    return std::max(std::min<int>(document.LineCount(), document.lineRows()), 0);
}

// Each line joined and encoded straight into the file's bytes; no list of all lines.
TextLineSource savedLines(const LyricsDocument& document)
{
    return [&document](qsizetype line, QString& scratch) {
        const LyricLine& cells = document.line(static_cast<int>(line));
        joinLyricTag(cells.tag, cells.text, scratch);
        return QStringView(scratch);
    };
}

}  // namespace

Result checkLineCount(const QString& path, qsizetype lineCount)
{
    if (lineCount <= MaxLyricLines)
        return Result();
    return Result::failure(QStringLiteral("「%1」を読み込めません: %2 行あります。読み込めるのは %3 行までです")
                               .arg(QDir::toNativeSeparators(path), QString::number(lineCount),
                                    QString::number(MaxLyricLines)));
}

LyricsContent lyricsContentOf(QStringList tags, QStringList texts)
{
    LyricsContent content;
    if (texts.isEmpty()) {
        content.lines.push_back({StartTag, QString()});
        return content;
    }
    content.lineCount = static_cast<std::int16_t>(texts.size());
    content.lines.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype line = 0; line < texts.size(); ++line)
        content.lines.push_back({std::move(tags[line]), std::move(texts[line])});
    return content;
}

ResultOf<LyricsContent> lyricsContentOfBytes(QByteArrayView bytes, const QString& path)
{
    const DecodedText decoded = decodeDetected(bytes);
    QStringList lines = splitLines(decoded.text);
    if (const Result fits = checkLineCount(path, lines.size()); !fits.ok())
        return fits;
    QStringList tags;
    tags.reserve(lines.size());
    for (qsizetype line = 0; line < lines.size(); ++line) {
        // A line that only looks like a tag ("[Chorus]") is treated as any line
        // without one.
        const qsizetype tagLength = lyricTagLength(lines[line]);
        tags.append(tagLength > 0 ? lines[line].left(tagLength) : line == 0 ? StartTag : QString());
        lines[line].remove(0, tagLength);
    }
    LyricsContent content = lyricsContentOf(std::move(tags), std::move(lines));
    content.encoding = decoded.encoding;
    return content;
}

ResultOf<LyricsContent> readLyricsFile(const QString& path)
{
    const ResultOf<QByteArray> bytes = readFileBytes(path);
    if (!bytes.ok())
        return Result::failure(bytes.errorString());
    ResultOf<LyricsContent> content = lyricsContentOfBytes(bytes.value(), path);
    if (content.ok()) {
        content->sourcePath = path;
        content->lyricsPath = path;
    }
    return content;
}

Result WriteLyricsFile(const LyricsDocument& document, const QString& path)
{
    return writeTextLines(path, savedLineCount(document), savedLines(document), document.encoding());
}

ResultOf<QByteArray> lyricsFileBytes(const LyricsDocument& document)
{
    return encodeTextLines(savedLineCount(document), savedLines(document), document.encoding());
}

}  // namespace lyricue
