#include "lyricsfile/lrc_format.h"

#include "text/ansi_text.h"
#include "text/lyric_segments.h"
#include "text/time_tag.h"

#include <algorithm>
#include <vector>

namespace lyricue {

namespace {

bool isLowerAsciiLetter(QChar ch)
{
    return ch.unicode() >= u'a' && ch.unicode() <= u'z';
}

// "[key:value]" with a key of lower-case ASCII letters, the whole line; the key, or nothing.
std::optional<QStringView> headerKey(QStringView line)
{
    // Most lines start with a time tag or a lyric: they are turned away at their start.
    qsizetype start = 0;
    while (start < line.size() && line[start].isSpace())
        ++start;
    if (start + 1 >= line.size() || line[start] != u'[' || !isLowerAsciiLetter(line[start + 1]))
        return std::nullopt;
    const QStringView trimmed = line.sliced(start).trimmed();
    if (!trimmed.endsWith(u']'))
        return std::nullopt;
    const qsizetype colon = trimmed.indexOf(u':');
    if (colon < 2)
        return std::nullopt;
    const QStringView key = trimmed.sliced(1, colon - 1);
    if (!std::all_of(key.begin(), key.end(), isLowerAsciiLetter))
        return std::nullopt;
    return key;
}

// The milliseconds of "[offset:N]", or nothing when N is no whole number. Beyond
// ten years either way it is held at ten years, so no time can overflow.
std::optional<qint64> offsetMs(QStringView headerLine)
{
    constexpr qint64 kTenYearsMs = 10LL * 366 * 24 * 3600 * 1000;
    const QStringView trimmed = headerLine.trimmed();
    QStringView value = trimmed.sliced(8, trimmed.size() - 9).trimmed();  // inside "[offset:" ... "]"
    if (value.startsWith(u'+'))
        value = value.sliced(1);
    bool ok = false;
    const qint64 ms = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(std::clamp(ms, -kTenYearsMs, kTenYearsMs)) : std::nullopt;
}

QString twoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, u'0');
}

// The text of an enhanced LRC line ("<mm:ss.xx>" before each word) in the sheet's
// notation, each word's time moved by the file's offset: a word tag becomes the time tag
// before its segment, and one that opens the text is the line's own time, which
// `lineMs` then takes (a line given several times keeps them, the words being timed
// for its first).
QString wordsAsSegments(QStringView text, qint64 offset, qint64* lineMs)
{
    QString cell;
    cell.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
        const std::optional<time_tag::Tag> word = time_tag::read(text.sliced(at), u'<', u'>');
        if (!word)
            continue;
        cell.append(text.sliced(from, at - from));
        const qint64 ms = std::max<qint64>(word->ms - offset, 0);
        if (at == 0 && lineMs)
            *lineMs = ms;
        else if (at > 0)
            cell.append(time_tag::format(ms));
        from = at + word->length;
        at = from - 1;
    }
    cell.append(text.sliced(from));
    return cell;
}

}  // namespace

LrcLyrics parseLrc(QStringView text)
{
    LrcLyrics lrc;
    // Per sheet line: its time (none for a line without one), and the time and first
    // sheet line of the file line it goes with when lines are put in time order.
    struct Order {
        qint64 ms;  // -1: none
        qint64 groupMs;
        qsizetype group;
        qsizetype text;  // its text's index in file order
        bool copy;       // one of several times of one file line
    };
    std::vector<Order> order;
    std::vector<qint64> times;
    // Room for every line at once: growing these would copy megabytes for a long file.
    const qsizetype lineEnds = std::max(std::count(text.begin(), text.end(), u'\n'),
                                        std::count(text.begin(), text.end(), u'\r')) + 1;
    order.reserve(static_cast<std::size_t>(lineEnds));
    lrc.texts.reserve(lineEnds);
    qint64 offset = 0;
    bool severalTimes = false;
    qint64 groupMs = -1;  // lines before the first time stay first
    qsizetype group = 0;
    forEachLine(text, [&](QStringView line) {
        if (const std::optional<QStringView> key = headerKey(line)) {
            const std::optional<qint64> ms = *key == u"offset" ? offsetMs(line) : std::nullopt;
            if (ms)
                offset = *ms;
            else
                lrc.headers.append(line.toString());
            return;
        }
        times.clear();
        qsizetype tagsLength = 0;
        while (const std::optional<time_tag::Tag> tag = time_tag::read(line.sliced(tagsLength))) {
            times.push_back(tag->ms);
            tagsLength += tag->length;
        }
        if (times.empty()) {
            order.push_back({-1, groupMs, group, lrc.texts.size(), false});
            lrc.texts.append(line.toString());
            return;
        }
        QString rest = line.sliced(tagsLength).toString();
        std::sort(times.begin(), times.end());
        severalTimes = severalTimes || times.size() > 1;
        // Lines without a time that follow go with the earliest copy of this line.
        groupMs = times.front();
        group = lrc.texts.size();
        for (std::size_t copy = 0; copy < times.size(); ++copy) {
            order.push_back({times[copy], times[copy], lrc.texts.size(), lrc.texts.size(), times.size() > 1});
            lrc.texts.append(copy + 1 < times.size() ? rest : std::move(rest));
        }
    });

    if (severalTimes) {
        std::stable_sort(order.begin(), order.end(), [](const Order& x, const Order& y) {
            return x.groupMs != y.groupMs ? x.groupMs < y.groupMs : x.group < y.group;
        });
        QStringList sorted;
        sorted.reserve(lrc.texts.size());
        for (const Order& line : order)
            sorted.append(std::move(lrc.texts[line.text]));
        lrc.texts = std::move(sorted);
    }
    lrc.tags.reserve(lrc.texts.size());
    for (std::size_t index = 0; index < order.size(); ++index) {
        const Order& line = order[index];
        qint64 lineMs = line.ms - offset;
        QString& lineText = lrc.texts[static_cast<qsizetype>(index)];
        if (line.ms >= 0 && lineText.contains(u'<'))
            lineText = wordsAsSegments(lineText, offset, line.copy ? nullptr : &lineMs);
        lrc.tags.append(line.ms >= 0 ? time_tag::format(lineMs) : QString());
    }
    return lrc;
}

namespace {

// A text cell timed word by word as enhanced LRC: "<mm:ss.xx>" before each timed segment,
// the first taking the line's time; a boundary without a time is left out.
void appendWords(const SegmentedText& cell, std::optional<qint64> lineMs, QString& line)
{
    line.append(cell.leadingTags);
    for (std::size_t index = 0; index < cell.segments.size(); ++index) {
        const std::optional<qint64> ms = index == 0 ? lineMs : cell.markerMs(index);
        if (ms)
            line.append(time_tag::format(*ms, u'.', u'<', u'>'));
        line.append(cell.segments[index].text);
    }
}

}  // namespace

void lrcLineOf(QStringView tag, QStringView text, QString& line)
{
    line.resize(0);
    const std::optional<time_tag::Tag> time = time_tag::read(tag);
    const bool wholeTag = time && time->length == tag.size();
    // Most lines hold neither "|" nor a bracket: they are never split.
    if (text.contains(u'|') || text.contains(u'[')) {
        const SegmentedText cell = lyric_segments::split(text);
        if (cell.explicitSplit) {
            line.append(wholeTag ? time_tag::format(time->ms, u'.') : tag.toString());
            appendWords(cell, wholeTag ? std::optional<qint64>(time->ms) : std::nullopt, line);
            return;
        }
    }
    if (!wholeTag) {
        line.append(tag).append(text);  // no time: the line as it stands
        return;
    }
    // The stamped form [mm:ss:xx] differs from LRC's by its last separator alone.
    if (tag.size() >= 10 && tag[tag.size() - 4] == u':' && tag[tag.size() - 7] == u':') {
        line.append(tag).append(text);
        line[tag.size() - 4] = u'.';
        return;
    }
    line.append(time_tag::format(time->ms, u'.')).append(text);
}

QStringList lrcTrackHeaders(const QString& title, const QString& artist, const QString& album, qint64 lengthMs)
{
    QStringList headers;
    const std::pair<const char16_t*, const QString&> texts[] = {{u"ti", title}, {u"ar", artist}, {u"al", album}};
    for (const auto& [key, text] : texts) {
        if (!text.isEmpty())
            headers.append(u'[' + QStringView(key).toString() + u':' + text + u']');
    }
    if (lengthMs > 0) {
        const qint64 seconds = lengthMs / 1000;
        headers.append(QStringLiteral("[length:") + twoDigits(seconds / 60) + u':' + twoDigits(seconds % 60) + u']');
    }
    return headers;
}

}  // namespace lyricue
