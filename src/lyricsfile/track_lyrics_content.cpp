#include "lyricsfile/track_lyrics_content.h"

#include "lyricsfile/lrc_format.h"
#include "lyricsfile/lyrics_file.h"
#include "text/byte_escape.h"
#include "text/lyric_segments.h"
#include "text/time_tag.h"

#include <algorithm>

namespace lyricue {

namespace {

bool anyTimed(const QStringList& tags)
{
    return std::any_of(tags.begin(), tags.end(), [](const QString& tag) { return !tag.isEmpty(); });
}

}  // namespace

ResultOf<EmbeddedLyrics> embeddedLyricsContent(const TrackLyrics& lyrics, const QString& trackPath)
{
    LrcLyrics lrc = parseLrc(lyrics.text);
    QString source = lyrics.textSource;
    if (!anyTimed(lrc.tags) && !lyrics.timedLines.empty()) {
        lrc = LrcLyrics();
        for (const TrackLyrics::TimedLine& line : lyrics.timedLines) {
            lrc.tags << time_tag::format(line.ms);
            lrc.texts << line.text;
        }
        source = lyrics.timedSource;
    }
    if (const Result fits = checkLineCount(trackPath, lrc.texts.size()); !fits.ok())
        return fits;
    LyricsContent content = lyricsContentOf(std::move(lrc.tags), std::move(lrc.texts));
    content.lrcHeaders = std::move(lrc.headers);
    content.encoding = TextEncoding::Utf8;
    return EmbeddedLyrics{std::move(content), source};
}

ResultOf<TrackLyrics> trackLyricsOf(const LyricsDocument& document)
{
    const int lineCount = std::max(std::min<int>(document.LineCount(), document.lineRows()), 0);
    if (lineCount == 0)
        return Result::failure(QStringLiteral("書き込む歌詞の行がありません"));
    TrackLyrics lyrics;
    QStringList lrcLines = document.lrcHeaders();
    QString lrcLine;
    for (int index = 0; index < lineCount; ++index) {
        const LyricLine& line = document.line(index);
        if (byte_escape::firstIn(line.tag) >= 0 || byte_escape::firstIn(line.text) >= 0)
            return Result::failure(
                QStringLiteral("%1 行目に文字でないバイト (�) があるため、曲に書き込めません").arg(index + 1));
        lrcLineOf(line.tag, line.text, lrcLine);
        lrcLines << lrcLine;
        // SYLT shows the line as sung: without the word times and "|" marks inside it,
        // and once more at each further time a repeated line holds in front.
        const SegmentedText parts = lyric_segments::split(line.text);
        QString sung;
        for (const LyricSegment& segment : parts.segments)
            sung += segment.text;
        if (const std::optional<qint64> ms = document.tagMs(index))
            lyrics.timedLines.push_back({*ms, sung});
        QStringView rest = parts.leadingTags;
        while (const std::optional<time_tag::Tag> tag = time_tag::read(rest)) {
            lyrics.timedLines.push_back({tag->ms, sung});
            rest = rest.sliced(tag->length);
        }
    }
    for (const QString& header : document.lrcHeaders()) {
        if (byte_escape::firstIn(header) >= 0)
            return Result::failure(QStringLiteral("LRC ヘッダーに文字でないバイト (�) があるため、曲に書き込めません"));
    }
    std::stable_sort(lyrics.timedLines.begin(), lyrics.timedLines.end(),
                     [](const auto& a, const auto& b) { return a.ms < b.ms; });
    lyrics.text = lrcLines.join(u'\n');
    return lyrics;
}

}  // namespace lyricue
