#include "audio/lyrics_timer.h"

#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "text/record_text.h"
#include "text/time_tag.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <optional>

namespace lyricue {

namespace {

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

Result LyricsTimer::load(const QString& path)
{
    clear();
    const ResultOf<TextFileContent> content = readTextLines(path);
    if (!content.ok())
        return Result::failure(content.errorString());
    for (const QString& line : content->lines) {
        QStringView rest(line);
        std::vector<std::int64_t> times;
        while (const std::optional<time_tag::Tag> tag = time_tag::read(rest)) {
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
    return {};
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

}  // namespace lyricue
