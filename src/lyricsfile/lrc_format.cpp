#include "lrc_format.h"

#include "ansi_text.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

bool isDigit(QChar ch)
{
    return ch.unicode() >= u'0' && ch.unicode() <= u'9';
}

// Digits at `at`, at most `maxDigits` of them; how many were read goes to `count`.
qint64 readDigits(QStringView text, qsizetype at, qsizetype maxDigits, qsizetype& count)
{
    qint64 value = 0;
    count = 0;
    while (at + count < text.size() && count < maxDigits && isDigit(text[at + count])) {
        value = value * 10 + (text[at + count].unicode() - u'0');
        ++count;
    }
    return value;
}

// Nine digits of minutes are some 1,900 years: more is no time, and an offset
// cannot push a time past what a tag can say.
constexpr int kMinuteDigits = 9;
constexpr qint64 kLatestMs = (999'999'999LL * 60 + 59) * 1000 + 999;

struct TimeTag {
    qsizetype length;  // characters, brackets included
    qint64 ms;
};

// The time tag at the start of `text`, if there is one.
std::optional<TimeTag> readTimeTag(QStringView text)
{
    if (!text.startsWith(u'['))
        return std::nullopt;
    qsizetype at = 1;
    qsizetype count = 0;
    const qint64 minutes = readDigits(text, at, kMinuteDigits, count);
    if (count == 0 || at + count >= text.size() || text[at + count] != u':')
        return std::nullopt;
    at += count + 1;
    const qint64 seconds = readDigits(text, at, 2, count);
    if (count != 2 || seconds >= 60)
        return std::nullopt;
    at += 2;
    qint64 fractionMs = 0;
    if (at < text.size() && (text[at] == u'.' || text[at] == u':')) {
        const bool hundredths = text[at] == u':';
        const qint64 fraction = readDigits(text, at + 1, hundredths ? 2 : 3, count);
        if (count == 0 || (hundredths && count != 2))
            return std::nullopt;
        fractionMs = count == 1 ? fraction * 100 : count == 2 ? fraction * 10 : fraction;
        at += 1 + count;
    }
    if (at >= text.size() || text[at] != u']')
        return std::nullopt;
    return TimeTag{at + 1, (minutes * 60 + seconds) * 1000 + fractionMs};
}

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

// "[mm:ss:xx]" (or "[mm:ss.xx]") for a time in milliseconds, hundredths cut off,
// minutes with at least two digits. Written digit by digit: a line's worth of
// QString::number calls costs more than the rest of an import.
QString timeTag(qint64 ms, char16_t fractionSeparator)
{
    const qint64 hundredths = ms / 10;
    char16_t buffer[32];
    qsizetype at = std::size(buffer);
    const auto put = [&](char16_t ch) { buffer[--at] = ch; };
    const auto putTwo = [&](qint64 value) {
        put(static_cast<char16_t>(u'0' + value % 10));
        put(static_cast<char16_t>(u'0' + value / 10 % 10));
    };
    put(u']');
    putTwo(hundredths % 100);
    put(fractionSeparator);
    putTwo(hundredths / 100 % 60);
    put(u':');
    qint64 minutes = hundredths / 6000;
    putTwo(minutes % 100);
    for (minutes /= 100; minutes > 0; minutes /= 10)
        put(static_cast<char16_t>(u'0' + minutes % 10));
    put(u'[');
    return QStringView(buffer + at, std::size(buffer) - at).toString();
}

// "[mm:ss:xx]" as stamps and imports write it: two to nine digits of minutes, seconds below 60.
bool isStampedTag(QStringView tag)
{
    const qsizetype size = tag.size();
    if (size < 10 || size > 17 || tag[0] != u'[' || tag[size - 1] != u']' || tag[size - 4] != u':'
        || tag[size - 7] != u':' || tag[size - 6] > u'5')
        return false;
    const auto digits = [&](qsizetype from, qsizetype to) {
        return std::all_of(tag.begin() + from, tag.begin() + to, isDigit);
    };
    return digits(1, size - 7) && digits(size - 6, size - 4) && digits(size - 3, size - 1);
}

}  // namespace

LrcLyrics parseLrc(QStringView text)
{
    LrcLyrics lrc;
    // Per sheet line: its time (none for a line without one), and the time and first
    // sheet line of the file line it goes with when lines are put in time order.
    struct Order {
        std::optional<qint64> ms;
        qint64 groupMs;
        qsizetype group;
    };
    std::vector<Order> order;
    std::vector<qint64> times;
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
        while (const std::optional<TimeTag> tag = readTimeTag(line.sliced(tagsLength))) {
            times.push_back(tag->ms);
            tagsLength += tag->length;
        }
        if (times.empty()) {
            order.push_back({std::nullopt, groupMs, group});
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
            order.push_back({times[copy], times[copy], lrc.texts.size()});
            lrc.texts.append(copy + 1 < times.size() ? rest : std::move(rest));
        }
    });

    std::vector<qsizetype> sheetOrder(order.size());
    std::iota(sheetOrder.begin(), sheetOrder.end(), 0);
    if (severalTimes) {
        std::stable_sort(sheetOrder.begin(), sheetOrder.end(), [&order](qsizetype a, qsizetype b) {
            const Order& x = order[static_cast<std::size_t>(a)];
            const Order& y = order[static_cast<std::size_t>(b)];
            return x.groupMs != y.groupMs ? x.groupMs < y.groupMs : x.group < y.group;
        });
        QStringList sorted;
        sorted.reserve(lrc.texts.size());
        for (const qsizetype from : sheetOrder)
            sorted.append(std::move(lrc.texts[from]));
        lrc.texts = std::move(sorted);
    }
    lrc.tags.reserve(lrc.texts.size());
    for (const qsizetype from : sheetOrder) {
        const std::optional<qint64> ms = order[static_cast<std::size_t>(from)].ms;
        lrc.tags.append(ms ? timeTag(std::clamp<qint64>(*ms - offset, 0, kLatestMs), u':') : QString());
    }
    return lrc;
}

std::optional<qint64> lrcTagMs(QStringView tag)
{
    const std::optional<TimeTag> time = readTimeTag(tag);
    if (!time || time->length != tag.size())
        return std::nullopt;
    return time->ms;
}

void lrcLineOf(QStringView tag, QStringView text, QString& line)
{
    line.resize(0);
    // The stamped form [mm:ss:xx] differs from LRC's by its last separator alone.
    if (isStampedTag(tag)) {
        line.append(tag).append(text);
        line[tag.size() - 4] = u'.';
        return;
    }
    if (const std::optional<qint64> ms = lrcTagMs(tag))
        line.append(timeTag(*ms, u'.'));
    else
        line.append(tag);
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
