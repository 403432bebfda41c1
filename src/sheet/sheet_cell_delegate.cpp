#include "sheet/sheet_cell_delegate.h"

#include "document/lyrics_document.h"
#include "text/lyric_segments.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace lyricue {

std::optional<ShownRange> nextSegmentRange(const LyricsDocument& document)
{
    const int line = document.StampRow();
    if (line < 0 || line >= document.lineRows())
        return std::nullopt;
    const SegmentedText text = document.segments(line);
    const std::vector<qsizetype> starts = lyric_segments::shownStarts(text);
    const auto segment = static_cast<std::size_t>(
        std::clamp(document.cursor().segment, 0, static_cast<int>(text.segments.size()) - 1));
    return ShownRange{line, starts[segment], text.segments[segment].text.size()};
}

SheetCellDelegate::SheetCellDelegate(const LyricsDocument& document, QObject* parent)
    : QStyledItemDelegate(parent), m_document(document)
{
}

void SheetCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!m_drawsFocusRect)
        option->state &= ~QStyle::State_HasFocus;
}

void SheetCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const std::optional<ShownRange> marked = m_marksShown && index.column() == 1 ? nextSegmentRange(m_document)
                                                                                 : std::nullopt;
    if (!marked || marked->line != index.row() || marked->length == 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).adjusted(2, 0, -2, 0);
    QTextCharFormat mark;
    mark.setForeground(QColor(MarkColour));
    mark.setFontUnderline(true);
    QTextLayout layout(text, cell.font);
    layout.setFormats({QTextLayout::FormatRange{static_cast<int>(marked->start), static_cast<int>(marked->length), mark}});
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const QPalette::ColorRole role = cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
    painter->save();
    painter->setClipRect(room);
    painter->setPen(cell.palette.color(role));
    const qreal top = room.top() + (room.height() - line.height()) / 2;
    layout.draw(painter, QPointF(room.left(), top));
    painter->restore();
}

}  // namespace lyricue
