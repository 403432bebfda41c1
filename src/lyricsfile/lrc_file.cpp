#include "lyricsfile/lrc_file.h"

#include "lyricsfile/lrc_format.h"
#include "lyricsfile/lyrics_file.h"
#include "text/ansi_text.h"
#include "text/encode_error.h"

#include <QDir>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lyricue {

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The index of the first surrogate in `text` that is no half of a pair, or -1.
qsizetype firstLoneSurrogate(QStringView text)
{
    const char16_t* const units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Four units at a time while none is a surrogate (D800..DFFF): a lane of
        // (unit & F800) ^ D800 is zero only for one, found by the has-zero test.
        while (i + 4 <= size) {
            std::uint64_t four = 0;
            std::memcpy(&four, units + i, 8);
            const std::uint64_t lanes = (four & 0xF800F800F800F800ULL) ^ 0xD800D800D800D800ULL;
            if (((lanes - 0x0001000100010001ULL) & ~lanes & 0x8000800080008000ULL) != 0)
                break;
            i += 4;
        }
        if (i >= size)
            break;
        if (!QChar::isSurrogate(units[i]))
            continue;
        if (QChar::isHighSurrogate(units[i]) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]))
            ++i;
        else
            return i;
    }
    return -1;
}

}  // namespace

ResultOf<LyricsContent> readLrcFile(const QString& path)
{
    const ResultOf<DecodedText> text = readText(path);
    if (!text.ok())
        return Result::failure(text.errorString());
    LrcLyrics lyrics = parseLrc(text->text);
    if (lyrics.texts.isEmpty())
        return Result::failure(QStringLiteral("「%1」には歌詞の行がありません").arg(shownPath(path)));
    if (const Result fits = checkLineCount(path, lyrics.texts.size()); !fits.ok())
        return fits;
    LyricsContent content = lyricsContentOf(std::move(lyrics.tags), std::move(lyrics.texts));
    content.lrcHeaders = std::move(lyrics.headers);
    content.encoding = text->encoding;
    return content;
}

Result WriteLrcFile(const QString& path, const QStringList& headers, const LyricsDocument& document)
{
    const int lineCount = std::max(std::min<int>(document.LineCount(), document.lineRows()), 0);
    // A byte that was no text in its file is carried as a lone surrogate, which the
    // sheet shows as the replacement character; written as it came it would make the
    // file invalid UTF-8. Neither is the text shown, so the export is refused, also
    // for a UTF-8 file with a damaged byte and for headers kept from an import.
    const auto refused = [&path](const QString& line, const QString& text, qsizetype at) {
        return Result::failure(QStringLiteral("「%1」に書き出せません: %2: %3")
                                   .arg(shownPath(path), line,
                                        unencodableMessage(text, at, encodingName(TextEncoding::Utf8))));
    };
    for (qsizetype index = 0; index < headers.size(); ++index) {
        if (const qsizetype at = firstLoneSurrogate(headers[index]); at >= 0)
            return refused(QStringLiteral("ヘッダー %1 行目").arg(index + 1), headers[index], at);
    }
    for (int line = 0; line < lineCount; ++line) {
        for (const QString* cell : {&document.line(line).tag, &document.line(line).text}) {
            if (const qsizetype at = firstLoneSurrogate(*cell); at >= 0)
                return refused(QStringLiteral("%1 行目").arg(line + 1), *cell, at);
        }
    }
    const qsizetype headerCount = headers.size();
    const auto lineAt = [&](qsizetype index, QString& scratch) {
        if (index < headerCount)
            return QStringView(headers[index]);
        const LyricLine& line = document.line(static_cast<int>(index - headerCount));
        lrcLineOf(line.tag, line.text, scratch);
        return QStringView(scratch);
    };
    return writeTextLines(path, headerCount + lineCount, lineAt, TextEncoding::Utf8);
}

}  // namespace lyricue
