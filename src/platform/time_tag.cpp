#include "time_tag.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace time_tag {

namespace {

bool isDigit(QChar ch)
{
    return ch.unicode() >= u'0' && ch.unicode() <= u'9';
}

// The digits at `at`, at most `maxDigits` of them (with no cap on the value's size while
// it stays below `cap`); how many were read goes to `count`. Nothing when the value passes `cap`.
std::optional<qint64> readDigits(QStringView text, qsizetype at, qsizetype maxDigits, qint64 cap, qsizetype& count)
{
    qint64 value = 0;
    count = 0;
    while (at + count < text.size() && count < maxDigits && isDigit(text[at + count])) {
        value = value * 10 + (text[at + count].unicode() - u'0');
        if (value > cap)
            return std::nullopt;
        ++count;
    }
    return value;
}

constexpr qint64 kLatestMinutes = kLatestTagMs / 60'000;
constexpr qsizetype kAnyLength = std::numeric_limits<qsizetype>::max();

}  // namespace

std::optional<Tag> read(QStringView text, char16_t open, char16_t close)
{
    if (text.isEmpty() || text.front() != open)
        return std::nullopt;
    qsizetype at = 1;
    qsizetype count = 0;
    const std::optional<qint64> minutes = readDigits(text, at, kAnyLength, kLatestMinutes, count);
    if (!minutes || count == 0 || at + count >= text.size() || text[at + count] != u':')
        return std::nullopt;
    at += count + 1;
    const std::optional<qint64> seconds = readDigits(text, at, 2, 59, count);
    if (!seconds || count != 2)
        return std::nullopt;
    at += 2;
    qint64 fractionMs = 0;
    if (at < text.size() && (text[at] == u'.' || text[at] == u':')) {
        const bool hundredths = text[at] == u':';
        const std::optional<qint64> fraction = readDigits(text, at + 1, hundredths ? 2 : 3, 999, count);
        if (count == 0 || (hundredths && count != 2))
            return std::nullopt;
        fractionMs = count == 1 ? *fraction * 100 : count == 2 ? *fraction * 10 : *fraction;
        at += 1 + count;
    }
    if (at >= text.size() || text[at] != close)
        return std::nullopt;
    return Tag{at + 1, (*minutes * 60 + *seconds) * 1000 + fractionMs};
}

std::optional<qint64> msOf(QStringView tag)
{
    const std::optional<Tag> time = read(tag);
    if (!time || time->length != tag.size())
        return std::nullopt;
    return time->ms;
}

QString format(qint64 ms, char16_t separator, char16_t open, char16_t close)
{
    // Written digit by digit: a line's worth of QString::number calls costs more than the
    // rest of an LRC import.
    const qint64 hundredths = std::clamp<qint64>(ms, 0, kLatestTagMs) / 10;
    char16_t buffer[24];
    qsizetype at = std::size(buffer);
    const auto put = [&](char16_t ch) { buffer[--at] = ch; };
    const auto putTwo = [&](qint64 value) {
        put(static_cast<char16_t>(u'0' + value % 10));
        put(static_cast<char16_t>(u'0' + value / 10 % 10));
    };
    put(close);
    putTwo(hundredths % 100);
    put(separator);
    putTwo(hundredths / 100 % 60);
    put(u':');
    qint64 minutes = hundredths / 6000;
    putTwo(minutes % 100);
    for (minutes /= 100; minutes > 0; minutes /= 10)
        put(static_cast<char16_t>(u'0' + minutes % 10));
    put(open);
    return QStringView(buffer + at, std::size(buffer) - at).toString();
}

}  // namespace time_tag
