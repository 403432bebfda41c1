#include "text/time_tag.h"

#include <algorithm>
#include <iterator>

namespace lyricue {

namespace time_tag {

namespace {

constexpr qint64 kLatestMinutes = kLatestTagMs / 60'000;

// The digit's value, or a number above 9 for any other unit.
constexpr unsigned digitOf(char16_t unit)
{
    return static_cast<unsigned>(unit) - u'0';
}

}  // namespace

std::optional<Tag> read(QStringView text, char16_t open, char16_t close)
{
    // Called for every line of every file read: one pass over the units, no other call.
    const char16_t* const units = text.utf16();
    const qsizetype size = text.size();
    // The shortest tag, "[m:ss]", has six units.
    if (size < 6 || units[0] != open)
        return std::nullopt;
    qsizetype at = 1;
    qint64 minutes = 0;
    for (unsigned digit; at < size && (digit = digitOf(units[at])) <= 9; ++at) {
        minutes = minutes * 10 + digit;
        if (minutes > kLatestMinutes)
            return std::nullopt;
    }
    if (at == 1 || at + 4 > size || units[at] != u':')
        return std::nullopt;
    const unsigned tens = digitOf(units[at + 1]);
    const unsigned ones = digitOf(units[at + 2]);
    if (tens > 5 || ones > 9)
        return std::nullopt;
    at += 3;
    qint64 fractionMs = 0;
    if (units[at] == u'.' || units[at] == u':') {
        const bool hundredths = units[at] == u':';
        const qsizetype first = ++at;
        const qsizetype most = hundredths ? 2 : 3;
        for (unsigned digit; at < size && at - first < most && (digit = digitOf(units[at])) <= 9; ++at)
            fractionMs = fractionMs * 10 + digit;
        const qsizetype count = at - first;
        if (count == 0 || (hundredths && count != 2))
            return std::nullopt;
        fractionMs *= count == 1 ? 100 : count == 2 ? 10 : 1;
    }
    if (at >= size || units[at] != close)
        return std::nullopt;
    return Tag{at + 1, (minutes * 60 + tens * 10 + ones) * 1000 + fractionMs};
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

}  // namespace lyricue
