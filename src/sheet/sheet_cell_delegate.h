#pragma once

#include <QStyledItemDelegate>

#include <optional>

namespace lyricue {

class LyricsDocument;

// Where a text cell is marked: the line and a range of the text the sheet shows for it.
struct ShownRange {
    int line = 0;
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const ShownRange&) const = default;
};

// The segment the next "Time Input" times while timing word by word: in line StampRow's
// shown text; none when StampRow lies outside the lines.
std::optional<ShownRange> nextSegmentRange(const LyricsDocument& document);

// Paints the sheet's cells: without the focus rectangle around the current cell while
// the sheet is set to draw none, and while timing word by word with the segment to be
// timed next underlined in colour, so that the user sees which piece the next press times.
class SheetCellDelegate : public QStyledItemDelegate {
public:
    static constexpr QRgb MarkColour = 0xD02030;

    SheetCellDelegate(const LyricsDocument& document, QObject* parent);

    void setDrawsFocusRect(bool draws) { m_drawsFocusRect = draws; }
    bool marksShown() const { return m_marksShown; }
    void setMarksShown(bool shown) { m_marksShown = shown; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const LyricsDocument& m_document;
    bool m_drawsFocusRect = true;
    bool m_marksShown = false;
};

}  // namespace lyricue
