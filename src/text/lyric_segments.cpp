#include "text/lyric_segments.h"

#include "text/time_tag.h"

#include <QChar>

#include <algorithm>

namespace lyricue {

namespace {

enum class Kind { Space, Joiner, Opener, Latin, Japanese };

bool isSmallKana(char32_t c)
{
    static constexpr std::u32string_view small =
        U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿｧｨｩｪｫｯｬｭｮ";
    return small.find(c) != std::u32string_view::npos;
}

Kind kindOf(char32_t c)
{
    if (c == U' ' || c == U'\t' || c == U'\u3000')
        return Kind::Space;
    // The long vowel mark and the voicing marks lengthen or colour the sound before them.
    if (isSmallKana(c) || c == U'ー' || c == U'ｰ' || c == U'゛' || c == U'゜' || c == U'ﾞ' || c == U'ﾟ')
        return Kind::Joiner;
    static constexpr std::u32string_view openers = U"「『（【〈《〔［｛〘〖“‘＜([{";
    if (openers.find(c) != std::u32string_view::npos)
        return Kind::Opener;
    const bool japanese = (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
                          (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF66 && c <= 0xFF9D) || (c >= 0xAC00 && c <= 0xD7AF) ||
                          (c >= 0x20000 && c <= 0x3FFFF) || c == U'々' || c == U'〆' || c == U'〇';
    if (japanese)
        return Kind::Japanese;
    if (QChar::isLetterOrNumber(c))
        return Kind::Latin;
    return Kind::Joiner;  // punctuation, symbols and marks
}

// The time tag or "|" that starts `rest`, as its length, or 0.
qsizetype markerLength(QStringView rest)
{
    if (rest.startsWith(u'|'))
        return 1;
    if (const std::optional<time_tag::Tag> tag = time_tag::read(rest))
        return tag->length;
    return 0;
}

}  // namespace

std::optional<qint64> SegmentedText::markerMs(std::size_t index) const
{
    if (index == 0 || index >= segments.size())
        return std::nullopt;
    return time_tag::msOf(segments[index].marker);
}

QString SegmentedText::joined() const
{
    QString cell = leadingTags;
    for (std::size_t index = 0; index < segments.size(); ++index) {
        if (explicitSplit && index > 0)
            cell += segments[index].marker;
        cell += segments[index].text;
    }
    return cell;
}

namespace lyric_segments {

std::vector<qsizetype> defaultStarts(QStringView text)
{
    std::vector<qsizetype> starts;
    bool started = false;      // a segment has begun
    bool latinRun = false;     // the current segment is a word in Latin letters or digits
    bool afterSpace = false;   // the last character was a space
    qsizetype openerAt = -1;   // opening brackets waiting for the segment they open
    const auto begin = [&](qsizetype at) {
        if (started && at > 0)
            starts.push_back(at);
        started = true;
        openerAt = -1;
        afterSpace = false;
    };
    for (qsizetype at = 0; at < text.size();) {
        char32_t c = text[at].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[at], text[at + 1]);
            width = 2;
        }
        const bool ascii = c < 0x80;
        switch (kindOf(c)) {
        case Kind::Space:
            started = true;
            afterSpace = true;
            break;
        case Kind::Joiner:
            if (latinRun && !ascii)
                latinRun = false;  // "Ｗｏｒｄ、" ends the word; "don't" does not
            started = true;
            afterSpace = false;
            break;
        case Kind::Opener:
            if (latinRun && !afterSpace && ascii)
                break;
            if (openerAt < 0)
                openerAt = at;
            break;
        case Kind::Latin:
            if (latinRun && !afterSpace && openerAt < 0)
                break;
            begin(openerAt >= 0 ? openerAt : at);
            latinRun = true;
            break;
        case Kind::Japanese:
            begin(openerAt >= 0 ? openerAt : at);
            latinRun = false;
            break;
        }
        at += width;
    }
    return starts;
}

SegmentedText split(QStringView cell)
{
    SegmentedText result;
    QStringView rest = cell;
    while (const std::optional<time_tag::Tag> tag = time_tag::read(rest))
        rest = rest.sliced(tag->length);
    result.leadingTags = cell.first(cell.size() - rest.size()).toString();

    result.segments.push_back({});
    qsizetype textStart = 0;
    for (qsizetype at = 0; at < rest.size();) {
        const qsizetype length = rest[at] == u'|' || rest[at] == u'[' ? markerLength(rest.sliced(at)) : 0;
        if (length == 0) {
            ++at;
            continue;
        }
        result.segments.back().text = rest.sliced(textStart, at - textStart).toString();
        result.segments.push_back({rest.sliced(at, length).toString(), {}});
        at += length;
        textStart = at;
    }
    result.segments.back().text = rest.sliced(textStart).toString();
    result.explicitSplit = result.segments.size() > 1;
    if (result.explicitSplit)
        return result;

    const QString whole = std::move(result.segments.front().text);
    result.segments.clear();
    qsizetype from = 0;
    for (const qsizetype start : defaultStarts(whole)) {
        result.segments.push_back({result.segments.empty() ? QString() : QStringLiteral("|"), whole.mid(from, start - from)});
        from = start;
    }
    result.segments.push_back({result.segments.empty() ? QString() : QStringLiteral("|"), whole.mid(from)});
    return result;
}

QString shownText(QStringView cell)
{
    const SegmentedText text = split(cell);
    QString shown = text.leadingTags;
    for (const LyricSegment& segment : text.segments)
        shown += segment.text;
    return shown;
}

std::vector<qsizetype> shownStarts(const SegmentedText& text)
{
    std::vector<qsizetype> starts;
    qsizetype at = text.leadingTags.size();
    for (const LyricSegment& segment : text.segments) {
        starts.push_back(at);
        at += segment.text.size();
    }
    return starts;
}

QString withMarker(QStringView cell, std::size_t index, const QString& marker)
{
    SegmentedText text = split(cell);
    if (index == 0 || index >= text.segments.size())
        return cell.toString();
    text.segments[index].marker = marker;
    text.explicitSplit = true;
    return text.joined();
}

QString withDefaultSplit(QStringView cell)
{
    const SegmentedText text = split(cell);
    // The inner time tags stay boundaries; every other default boundary is written as "|",
    // since a cell with time tags inside keeps only the boundaries it writes.
    SegmentedText result;
    result.leadingTags = text.leadingTags;
    result.explicitSplit = true;
    QString plain;
    std::vector<std::pair<qsizetype, QString>> timed;  // offset in the plain text, its tag
    for (std::size_t index = 0; index < text.segments.size(); ++index) {
        if (index > 0 && text.markerMs(index))
            timed.emplace_back(plain.size(), text.segments[index].marker);
        plain += text.segments[index].text;
    }
    if (timed.empty())
        return text.leadingTags + plain;
    std::vector<qsizetype> starts = defaultStarts(plain);
    for (const auto& [offset, tag] : timed)
        starts.push_back(offset);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    qsizetype from = 0;
    result.segments.push_back({});
    for (const qsizetype start : starts) {
        result.segments.back().text = plain.mid(from, start - from);
        const auto tag = std::find_if(timed.begin(), timed.end(), [&](const auto& t) { return t.first == start; });
        result.segments.push_back({tag != timed.end() ? tag->second : QStringLiteral("|"), {}});
        from = start;
    }
    result.segments.back().text = plain.mid(from);
    return result.joined();
}

}  // namespace lyric_segments

}  // namespace lyricue
