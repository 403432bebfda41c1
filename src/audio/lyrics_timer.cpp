#include "audio/lyrics_timer.h"

#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "text/lyric_segments.h"
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
        // Most lines hold neither "|" nor a bracket: no segment of theirs has a time.
        if (!rest.contains(u'|') && !rest.contains(u'[')) {
            const QByteArray text = displayBytes(rest.toString(), content->encoding);
            for (const std::int64_t ms : times)
                m_lines.push_back({ms, text, nullptr});
            continue;
        }
        auto segments = std::make_shared<SegmentTimes>();
        bool timed = false;
        QString shown;
        shown.reserve(rest.size());
        std::vector<QStringView> texts;
        lyric_segments::forEachMarkedSegment(rest, [&](QStringView marker, QStringView segmentText) {
            const std::optional<qint64> ms = marker.isEmpty() ? std::optional<qint64>(times.front())
                                                              : time_tag::msOf(marker);
            timed = timed || (!marker.isEmpty() && ms);
            segments->offsetsMs.push_back(ms ? std::optional<std::int64_t>(*ms - times.front()) : std::nullopt);
            segments->starts.push_back(static_cast<double>(shown.size()));
            shown += segmentText;
            texts.push_back(segmentText);
        });
        const bool oneUnitPerCharacter = std::none_of(shown.begin(), shown.end(), [](QChar c) { return c.isSurrogate(); });
        QByteArray text;
        if (oneUnitPerCharacter) {
            // Each character shows as one: the segments start where their texts start.
            text = displayBytes(shown, content->encoding);
            segments->length = static_cast<double>(shown.size());
        } else {
            // A pair, or a byte carried as no text, may show as another number of
            // characters: each segment is counted as the display decodes its bytes.
            for (std::size_t index = 0; index < texts.size(); ++index) {
                segments->starts[index] = segments->length;
                const QByteArray bytes = displayBytes(texts[index].toString(), content->encoding);
                segments->length += static_cast<double>(decodeCp932(bytes).size());
                text += bytes;
            }
        }
        if (!timed)
            segments.reset();
        for (const std::int64_t ms : times)
            m_lines.push_back({ms, text, segments});
    }
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const TimedLine& a, const TimedLine& b) { return a.ms < b.ms; });
    return {};
}

void LyricsTimer::clear()
{
    m_lines.clear();
}

std::ptrdiff_t LyricsTimer::currentAt(std::int64_t positionMs) const
{
    const auto reached = std::upper_bound(
        m_lines.begin(), m_lines.end(), positionMs,
        [](std::int64_t ms, const TimedLine& line) { return ms < line.ms; });
    return (reached - m_lines.begin()) - 1;
}

void LyricsTimer::linesAt(std::int64_t positionMs, LyricsLinesRecord& record) const
{
    std::memset(&record, 0, sizeof record);
    const std::ptrdiff_t current = currentAt(positionMs);
    const auto count = static_cast<std::ptrdiff_t>(m_lines.size());
    for (int offset = -2; offset <= 2; ++offset) {
        const std::ptrdiff_t index = current + offset;
        if (index >= 0 && index < count)
            record_text::store(record.lines[2 - offset], m_lines[static_cast<std::size_t>(index)].cp932Text);
    }
}

std::optional<double> LyricsTimer::sungExtentAt(std::int64_t positionMs) const
{
    const std::ptrdiff_t current = currentAt(positionMs);
    if (current < 0 || !m_lines[static_cast<std::size_t>(current)].segments)
        return std::nullopt;
    const TimedLine& line = m_lines[static_cast<std::size_t>(current)];
    const SegmentTimes& segments = *line.segments;
    const std::size_t count = segments.starts.size();

    // The timed segments as (index, time), times never running backwards, closed by the
    // line's end at index `count`.
    std::vector<std::pair<std::size_t, std::int64_t>> points;
    for (std::size_t index = 0; index < count; ++index) {
        if (const std::optional<std::int64_t> offset = segments.offsetsMs[index]) {
            const std::int64_t ms = line.ms + *offset;
            points.emplace_back(index, points.empty() ? line.ms : std::max(ms, points.back().second));
        }
    }
    const auto [lastIndex, lastMs] = points.back();
    const std::int64_t mean = lastIndex > 0 ? (lastMs - line.ms) / static_cast<std::int64_t>(lastIndex) : 0;
    const auto next = static_cast<std::size_t>(current) + 1;
    std::int64_t endMs = next < m_lines.size() ? m_lines[next].ms : lastMs;
    if (endMs <= lastMs)
        endMs = lastMs + std::max<std::int64_t>(mean, 1);
    points.emplace_back(count, endMs);

    const auto startOf = [&](std::size_t index) { return index < count ? segments.starts[index] : segments.length; };
    for (std::size_t span = 0; span + 1 < points.size(); ++span) {
        const auto [fromIndex, fromMs] = points[span];
        const auto [toIndex, toMs] = points[span + 1];
        if (positionMs >= toMs)
            continue;
        // The segments of the span share its time equally.
        const double share = static_cast<double>(toMs - fromMs) / static_cast<double>(toIndex - fromIndex);
        const double into = static_cast<double>(positionMs - fromMs) / share;
        const auto whole = std::min(static_cast<std::size_t>(into), toIndex - fromIndex - 1);
        const std::size_t segment = fromIndex + whole;
        const double fraction = std::clamp(into - static_cast<double>(whole), 0.0, 1.0);
        return startOf(segment) + fraction * (startOf(segment + 1) - startOf(segment));
    }
    return segments.length;
}

}  // namespace lyricue
