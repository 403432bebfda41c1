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
        // A word with no text before it starts the line: in the cell its tag would be
        // one of the line's own times.
        if (cell.isEmpty()) {
            if (lineMs)
                *lineMs = ms;
        } else {
            cell.append(time_tag::format(ms));
        }
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

// A time tag as stamps write it below 100 minutes, [mm:ss:xx]: its LRC form is the same
// but for the last separator. Other forms are written from their time, in one form.
bool isStampForm(QStringView tag)
{
    return tag.size() == 10 && tag[6] == u':' && tag[3] == u':';
}

// "<mm:ss.xx>" for a time tag: the stamped form [mm:ss:xx] copied with its last separator
// changed (most tags are stamped), any other form written from its time.
void appendWordTag(QStringView tag, qint64 ms, QString& line)
{
    const qsizetype size = tag.size();
    if (isStampForm(tag)) {
        line.append(u'<').append(tag.sliced(1, size - 5)).append(u'.').append(tag.sliced(size - 3, 2)).append(u'>');
        return;
    }
    line.append(time_tag::format(ms, u'.', u'<', u'>'));
}

// A text cell timed word by word (lyric_segments.h) as enhanced LRC: "<mm:ss.xx>" before
// each timed segment, the first taking the line's time (`lineTag`); a "|"
// boundary without a time is left out. False, with nothing written, for a cell without
// boundaries of its own.
bool appendWords(QStringView text, QStringView lineTag, qint64 lineMs, QString& line)
{
    qsizetype at = 0;
    while (const std::optional<time_tag::Tag> leading = time_tag::read(text.sliced(at)))
        at += leading->length;
    // Word tags only for a text with a time inside: one split by "|" alone is plain text.
    bool marked = false;
    bool timed = false;
    for (qsizetype look = at; look < text.size() && !timed; ++look) {
        marked = marked || text[look] == u'|';
        timed = text[look] == u'[' && time_tag::read(text.sliced(look));
    }
    if (!marked && !timed)
        return false;
    line.append(text.first(at));
    if (timed)
        appendWordTag(lineTag, lineMs, line);
    qsizetype from = at;
    bool inBrackets = false;  // a "|" between brackets stays: left out, it could close a tag
    for (; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        if (unit == u']' || unit == u'>' || unit == u'<') {
            inBrackets = unit == u'<';
            continue;
        }
        if (unit != u'|' && unit != u'[')
            continue;
        const std::optional<time_tag::Tag> tag =
            unit == u'[' ? time_tag::read(text.sliced(at)) : std::optional<time_tag::Tag>(time_tag::Tag{1, -1});
        if (!tag) {
            inBrackets = inBrackets || unit == u'[';
            continue;
        }
        if (unit == u'|' && inBrackets)
            continue;
        if (unit == u'[' && isStampForm(text.sliced(at, tag->length))) {
            // The text and its stamped tag in one piece, the tag then turned into a word tag.
            line.append(text.sliced(from, at + tag->length - from));
            QChar* const word = line.data() + line.size() - tag->length;
            word[0] = u'<';
            word[tag->length - 4] = u'.';
            word[tag->length - 1] = u'>';
        } else {
            line.append(text.sliced(from, at - from));
            if (unit == u'[')
                appendWordTag(text.sliced(at, tag->length), tag->ms, line);
        }
        at += tag->length - 1;
        from = at + 1;
    }
    line.append(text.sliced(from));
    return true;
}

}  // namespace

void lrcLineOf(QStringView tag, QStringView text, QString& line)
{
    line.resize(0);
    const std::optional<time_tag::Tag> time = time_tag::read(tag);
    // Most lines hold neither "|" nor a bracket, and are no words.
    const bool mayHoldWords = text.contains(u'|') || text.contains(u'[');
    if (!time || time->length != tag.size()) {
        // No time: the line as it stands, inner tags and "|" too, which an import keeps.
        line.append(tag).append(text);
        return;
    }
    // The stamped form [mm:ss:xx] differs from LRC's by its last separator alone.
    if (isStampForm(tag)) {
        line.append(tag);
        line[tag.size() - 4] = u'.';
    } else {
        line.append(time_tag::format(time->ms, u'.'));
    }
    if (!mayHoldWords || !appendWords(text, tag, time->ms, line))
        line.append(text);
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
