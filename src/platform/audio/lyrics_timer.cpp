#include "lyrics_timer.h"

#include "ansi_text.h"
#include "audio_engine.h"
#include "record_text.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// A time tag read from the start of a line: how many characters it takes, its time.
struct TimeTag {
    qsizetype length;
    std::int64_t ms;
};

// Reads `count` ASCII digits at `at`; nothing when any of them is not a digit.
std::optional<int> readDigits(QStringView text, qsizetype at, qsizetype count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch - u'0');
    }
    return value;
}

// The time tag at the start of `text`, if it starts with one.
std::optional<TimeTag> readTimeTag(QStringView text)
{
    constexpr qsizetype maxMinuteDigits = 9;
    if (!text.startsWith(u'['))
        return std::nullopt;
    qsizetype at = 1;
    std::int64_t minutes = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && at <= maxMinuteDigits) {
        minutes = minutes * 10 + (text[at].unicode() - u'0');
        ++at;
    }
    if (at == 1 || at >= text.size() || text[at] != u':')
        return std::nullopt;
    const std::optional<int> seconds = readDigits(text, at + 1, 2);
    if (!seconds || *seconds >= 60)
        return std::nullopt;
    at += 3;
    std::int64_t fractionMs = 0;
    if (at < text.size() && (text[at] == u':' || text[at] == u'.')) {
        const bool dot = text[at] == u'.';
        const std::optional<int> hundredths = readDigits(text, at + 1, 2);
        const std::optional<int> thousandths = dot ? readDigits(text, at + 1, 3) : std::nullopt;
        if (thousandths) {
            fractionMs = *thousandths;
            at += 4;
        } else if (hundredths) {
            fractionMs = *hundredths * 10;
            at += 3;
        } else {
            return std::nullopt;
        }
    }
    if (at >= text.size() || text[at] != u']')
        return std::nullopt;
    return TimeTag{at + 1, (minutes * 60 + *seconds) * 1000 + fractionMs};
}

// The bytes shown for a line's text. In a UTF-8 file a lone surrogate stands for a
// byte that was not UTF-8, which means nothing in CP932 either.
QByteArray displayBytes(QString text, TextEncoding encoding)
{
    if (encoding != TextEncoding::Cp932) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar(u'\u3013');
        }
    }
    return encodeCp932ForDisplay(text);
}

}  // namespace

bool LyricsTimer::load(const QString& path)
{
    clear();
    const ResultOf<TextFileContent> content = readTextLines(path);
    if (!content.ok())
        return false;
    for (const QString& line : content->lines) {
        QStringView rest(line);
        std::vector<std::int64_t> times;
        while (const std::optional<TimeTag> tag = readTimeTag(rest)) {
            times.push_back(tag->ms);
            rest = rest.sliced(tag->length);
        }
        if (times.empty())
            continue;
        const QByteArray text = displayBytes(rest.toString(), content->encoding);
        for (const std::int64_t ms : times)
            m_lines.push_back({ms, text});
    }
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const TimedLine& a, const TimedLine& b) { return a.ms < b.ms; });
    return true;
}

void LyricsTimer::clear()
{
    m_lines.clear();
}

void LyricsTimer::linesAt(std::int64_t positionMs, LyricsLinesRecord& record) const
{
    std::memset(&record, 0, sizeof record);
    const auto reached = std::upper_bound(
        m_lines.begin(), m_lines.end(), positionMs,
        [](std::int64_t ms, const TimedLine& line) { return ms < line.ms; });
    // -1 before the first line's time.
    const std::ptrdiff_t current = (reached - m_lines.begin()) - 1;
    const auto count = static_cast<std::ptrdiff_t>(m_lines.size());
    for (int offset = -2; offset <= 2; ++offset) {
        const std::ptrdiff_t index = current + offset;
        if (index >= 0 && index < count)
            record_text::store(record.lines[2 - offset], m_lines[static_cast<std::size_t>(index)].cp932Text);
    }
}
