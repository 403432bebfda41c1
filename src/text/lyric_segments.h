#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace lyricue {

// One sung piece of a line, for timing word by word: the mark written before it in the
// text cell and its text. The first piece has no mark (its time is the line's tag); the
// others have a time tag ("[00:12:56]") when timed, or "|" when the user split there
// and it has no time yet.
struct LyricSegment {
    QString marker;
    QString text;
    bool operator==(const LyricSegment&) const = default;
};

// A text cell cut into its segments. The cell's own leading time tags (the further times
// of a repeated line) stay in front as they stood; every other time tag and every "|" in
// the cell is a boundary. A cell with neither is cut by the default split, and then no
// boundary is written back until one is timed.
struct SegmentedText {
    QString leadingTags;
    std::vector<LyricSegment> segments;  // at least one
    bool explicitSplit = false;          // the boundaries are the cell's own marks

    // The time of segment `index` (> 0) when its mark is a time tag.
    std::optional<qint64> markerMs(std::size_t index) const;
    // The cell text again: joinSegments(splitSegments(cell)) == cell for every cell.
    QString joined() const;
};

namespace lyric_segments {

// Where the default split starts a segment in a plain text, offsets after 0 in order:
// - each Japanese character (kana, kanji) is a segment; small kana, the long vowel mark,
//   voicing marks, punctuation and spaces join the segment before, opening brackets the
//   one after;
// - a run of Latin letters, digits and the punctuation inside a word ("don't", "2024",
//   "Ｗｏｒｄ") is one segment, and the spaces after it belong to it.
std::vector<qsizetype> defaultStarts(QStringView text);

SegmentedText split(QStringView cell);

// The cell as the sheet and the five lines show it: the leading time tags kept, the
// inner time tags and "|" left out.
QString shownText(QStringView cell);

// The shown text's offset where each segment starts (the first at the length of the
// leading tags), for marking segments in a shown cell.
std::vector<qsizetype> shownStarts(const SegmentedText& text);

// The cell with segment `index` marked by `marker` (a time tag, or "|" for none). The
// cell's default boundaries are written as "|" from then on, so that a cell half timed
// keeps its split; an index past the last segment changes nothing.
QString withMarker(QStringView cell, std::size_t index, const QString& marker);

// The cell split by the default split again: every "|" removed, the inner time tags
// kept where they stand.
QString withDefaultSplit(QStringView cell);

}  // namespace lyric_segments

}  // namespace lyricue
