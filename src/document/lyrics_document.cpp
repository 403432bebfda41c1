#include "document/lyrics_document.h"

#include "document/document_steps.h"
#include "text/time_tag.h"

#include <algorithm>

namespace lyricue {

LyricsDocument::LyricsDocument(QObject* parent) : QObject(parent)
{
    // A thousand stamps or corrections back, in well under a megabyte.
    m_undoStack.setUndoLimit(1000);
}

LyricsDocument::~LyricsDocument()
{
    // The steps refer to the document: they go first.
    m_undoStack.clear();
}

QString LyricsDocument::cellAt(int index) const
{
    const int row = index / cols();
    const int column = index % cols();
    if (row == 0)
        return m_header[static_cast<std::size_t>(column)];
    const LyricLine& cells = line(row - 1);
    return column == 0 ? cells.tag : cells.text;
}

QString& LyricsDocument::cellRef(int index)
{
    const int row = index / cols();
    const int column = index % cols();
    if (row == 0)
        return m_header[static_cast<std::size_t>(column)];
    LyricLine& cells = m_content.lines[static_cast<std::size_t>(row - 1)];
    return column == 0 ? cells.tag : cells.text;
}

void LyricsDocument::setRows(int rows)
{
    const int lines = std::max(rows, 1) - 1;
    const int before = lineRows();
    if (lines > before) {
        emit linesAboutToBeInserted(before, lines - 1);
        m_content.lines.resize(static_cast<std::size_t>(lines));
        emit linesInserted();
    } else if (lines < before) {
        emit linesAboutToBeRemoved(lines, before - 1);
        m_content.lines.resize(static_cast<std::size_t>(lines));
        emit linesRemoved();
    }
}

void LyricsDocument::setCellAt(int index, const QString& text)
{
    cellRef(index) = text;
    const int row = index / cols();
    if (row == 0)
        emit headerChanged();
    else
        emit linesChanged(row - 1, row - 1);
}

void LyricsDocument::setCellsAt(int firstIndex, QStringList texts)
{
    const int cellCount = rows() * cols();
    const qsizetype room = std::max<qsizetype>(0, cellCount - firstIndex);
    if (firstIndex < 0 || room == 0 || texts.isEmpty())
        return;
    if (texts.size() > room)
        texts.resize(room);
    const int last = firstIndex + static_cast<int>(texts.size()) - 1;
    for (int index = firstIndex; index <= last; ++index)
        cellRef(index) = std::move(texts[index - firstIndex]);
    if (firstIndex < cols())
        emit headerChanged();
    if (last >= cols())
        emit linesChanged(std::max(firstIndex / cols(), 1) - 1, last / cols() - 1);
}

void LyricsDocument::clear()
{
    m_header.fill(QString());
    for (LyricLine& cells : m_content.lines)
        cells = LyricLine();
    emit headerChanged();
    if (lineRows() > 0)
        emit linesChanged(0, lineRows() - 1);
}

void LyricsDocument::setTag(int line, const QString& tag, const QString& actionText, std::optional<CursorMove> cursor)
{
    if (line < 0 || line >= lineRows())
        return;
    setLine(line, {tag, this->line(line).text}, actionText, cursor);
}

void LyricsDocument::setLine(int line, LyricLine content, const QString& actionText, std::optional<CursorMove> cursor)
{
    if (line < 0 || line >= lineRows())
        return;
    m_undoStack.push(new SetLineStep(*this, line, std::move(content), actionText, cursor));
}

void LyricsDocument::editCell(int line, int column, const QString& text)
{
    if (line < 0 || line >= lineRows() || column < 0 || column >= cols())
        return;
    const LyricLine& cells = this->line(line);
    if ((column == 0 ? cells.tag : cells.text) == text)
        return;
    m_undoStack.push(new EditCellStep(*this, line, column, text));
}

Result LyricsDocument::insertLine(int line, const CursorMove& cursor)
{
    if (lineRows() >= MaxLyricLines)
        return Result::failure(
            QStringLiteral("行を挿入できません: 歌詞は %1 行までです").arg(QString::number(MaxLyricLines)));
    if (line < 0 || line > lineRows())
        return Result::failure(QStringLiteral("行を挿入できません: %1 行目はありません").arg(line + 1));
    m_undoStack.push(new LineStep(*this, LineStep::Insert, line, cursor));
    return Result();
}

Result LyricsDocument::removeLine(int line, const CursorMove& cursor)
{
    if (lineRows() <= 1)
        return Result::failure(QStringLiteral("最後の 1 行は削除できません"));
    if (line < 0 || line >= lineRows())
        return Result::failure(QStringLiteral("行を削除できません: %1 行目はありません").arg(line + 1));
    m_undoStack.push(new LineStep(*this, LineStep::Remove, line, cursor));
    return Result();
}

void LyricsDocument::setStampRow(int stampRow)
{
    setCursor({stampRow, row()});
}

void LyricsDocument::setRow(int row)
{
    setCursor({StampRow(), row});
}

void LyricsDocument::setCursor(StampCursor cursor, CursorChange why)
{
    if (lineRows() > 0)
        cursor.row = std::clamp(cursor.row, 1, lineRows());
    if (cursor == m_content.cursor)
        return;
    m_content.cursor = cursor;
    emit cursorChanged(why);
}

std::optional<qint64> LyricsDocument::tagMs(int line) const
{
    if (line < 0 || line >= lineRows())
        return std::nullopt;
    return time_tag::msOf(this->line(line).tag);
}

SegmentedText LyricsDocument::segments(int line) const
{
    if (line < 0 || line >= lineRows())
        return lyric_segments::split(QStringView());
    return lyric_segments::split(this->line(line).text);
}

std::optional<qint64> LyricsDocument::segmentMs(SegmentRef segment) const
{
    if (segment.segment == 0)
        return tagMs(segment.line);
    return segments(segment.line).markerMs(static_cast<std::size_t>(segment.segment));
}

Result LyricsDocument::stampSegment(const QString& tag)
{
    const StampCursor before = cursor();
    const int rowCount = rows();
    if (before.row + 1 > rowCount || before.stampRow < 0 || before.stampRow >= lineRows())
        return Result::failure(QStringLiteral("Error Rows!!"));
    const int line = before.stampRow;
    const auto segmentCount = static_cast<int>(segments(line).segments.size());
    const int segment = std::clamp(before.segment, 0, segmentCount - 1);
    StampCursor after = before;
    if (segment + 1 < segmentCount)
        after.segment = segment + 1;
    else if (before.row + 1 < rowCount)
        after = StampCursor{before.stampRow + 1, before.row + 1, 0};
    LyricLine content = this->line(line);
    if (segment == 0)
        content.tag = tag;
    else
        content.text = lyric_segments::withMarker(content.text, static_cast<std::size_t>(segment), tag);
    setLine(line, std::move(content), QStringLiteral("Time Input"), CursorMove{before, after});
    m_selectedSegment = {line, segment};
    setCursor(after, CursorChange::Stamped);
    return Result();
}

Result LyricsDocument::passSegments()
{
    const StampCursor before = cursor();
    if (before.segment == 0)
        return stamp(QString());
    const int rowCount = rows();
    if (before.row + 1 > rowCount || before.stampRow < 0 || before.stampRow >= lineRows())
        return Result::failure(QStringLiteral("Error Rows!!"));
    if (before.row + 1 >= rowCount)
        return Result();
    const StampCursor after{before.stampRow + 1, before.row + 1, 0};
    setLine(before.stampRow, line(before.stampRow), QStringLiteral("Space"), CursorMove{before, after});
    setCursor(after, CursorChange::Stamped);
    return Result();
}

void LyricsDocument::moveSegment(SegmentRef segment, qint64 ms, const QString& actionText)
{
    if (segment.line < 0 || segment.line >= lineRows() || segment.segment < 0)
        return;
    const SegmentedText text = segments(segment.line);
    const auto count = static_cast<int>(text.segments.size());
    if (segment.segment >= count)
        return;
    qint64 lowest = 0;
    qint64 highest = time_tag::kLatestTagMs;
    for (int other = segment.segment - 1; other >= 0; --other) {
        if (const std::optional<qint64> otherMs = segmentMs({segment.line, other})) {
            lowest = *otherMs;
            break;
        }
    }
    for (int other = segment.segment + 1; other < count; ++other) {
        if (const std::optional<qint64> otherMs = segmentMs({segment.line, other})) {
            highest = *otherMs;
            break;
        }
    }
    m_selectedSegment = segment;
    if (lowest > highest)
        return;
    const QString tag = time_tag::format(std::clamp(ms, lowest, highest));
    LyricLine content = line(segment.line);
    if (segment.segment == 0)
        content.tag = tag;
    else
        content.text = lyric_segments::withMarker(content.text, static_cast<std::size_t>(segment.segment), tag);
    if (content != line(segment.line))
        setLine(segment.line, std::move(content), actionText);
}

void LyricsDocument::nudgeSelectedSegment(int ms)
{
    if (const std::optional<qint64> segmentMs = this->segmentMs(m_selectedSegment))
        moveSegment(m_selectedSegment, *segmentMs + ms, QStringLiteral("タグの移動"));
}

void LyricsDocument::restoreDefaultSplit(int line)
{
    if (line < 0 || line >= lineRows())
        return;
    LyricLine content = this->line(line);
    content.text = lyric_segments::withDefaultSplit(content.text);
    if (content != this->line(line))
        setLine(line, std::move(content), QStringLiteral("既定の区切り"));
}

Result LyricsDocument::stamp(const QString& tag)
{
    const StampCursor before = cursor();
    const int rowCount = rows();
    // The current row lies past the last row, or StampRow has run past the last line
    // (it can while it is ahead of the current row): writing would leave the sheet.
    if (before.row + 1 > rowCount || before.stampRow < 0 || before.stampRow >= lineRows())
        return Result::failure(QStringLiteral("Error Rows!!"));
    const bool advances = before.row + 1 < rowCount;
    const StampCursor after = advances ? StampCursor{before.stampRow + 1, before.row + 1} : before;
    // One step: undoing it puts the tag, StampRow and the current row back.
    setTag(before.stampRow, tag, tag.isEmpty() ? QStringLiteral("Space") : QStringLiteral("Time Input"),
           CursorMove{before, after});
    setCursor(after, CursorChange::Stamped);
    return Result();
}

void LyricsDocument::nudgeCurrentTag(int ms)
{
    const int line = row() - 1;
    if (const std::optional<qint64> tagMs = this->tagMs(line))
        setTag(line, time_tag::format(*tagMs + ms), QStringLiteral("タグの移動"));
}

void LyricsDocument::moveTag(int line, qint64 hundredths)
{
    const qint64 ms = std::clamp<qint64>(hundredths, 0, time_tag::kLatestTagMs / 10) * 10;
    setTag(line, time_tag::format(ms), QStringLiteral("マーカーの移動"));
}

Result LyricsDocument::insertLineAtCursor()
{
    const int currentRow = std::max(row(), 1);
    const int line = currentRow - 1;
    const int stampRow = StampRow();
    // StampRow keeps to the lyric line it named, which moves down when it lies at or below.
    const int stampAfter = stampRow >= line ? stampRow + 1 : stampRow;
    const CursorMove move{{stampRow, currentRow}, {stampAfter, currentRow}};
    if (const Result inserted = insertLine(line, move); !inserted.ok())
        return inserted;
    setCursor(move.after);
    return Result();
}

Result LyricsDocument::deleteLineAtCursor()
{
    if (lineRows() <= 1)
        return Result::failure(QStringLiteral("最後の 1 行は削除できません"));
    const int currentRow = row();
    const int line = currentRow - 1;
    const int lastLineAfter = lineRows() - 2;
    const int stampRow = StampRow();
    // StampRow keeps to its lyric line; on the deleted line it names the next one.
    const int stampAfter = std::min(stampRow > line ? stampRow - 1 : stampRow, lastLineAfter);
    const CursorMove move{{stampRow, currentRow}, {stampAfter, std::min(currentRow, lastLineAfter + 1)}};
    if (const Result removed = removeLine(line, move); !removed.ok())
        return removed;
    setCursor(move.after);
    return Result();
}

void LyricsDocument::load(LyricsContent content, const QString& actionText,
                          const std::function<void(QUndoCommand* step)>& alongside)
{
    auto* step = new QUndoCommand(actionText);
    if (alongside)
        alongside(step);
    new ReplaceContentStep(*this, std::move(content), step);
    m_selectedSegment = {};
    m_undoStack.clear();
    m_undoStack.push(step);
}

void LyricsDocument::swapContent(LyricsContent& content)
{
    emit contentAboutToBeReplaced();
    std::swap(m_content, content);
    emit contentReplaced();
}

LyricLine LyricsDocument::takeLine(int line)
{
    emit linesAboutToBeRemoved(line, line);
    const auto at = m_content.lines.begin() + line;
    LyricLine taken = std::move(*at);
    m_content.lines.erase(at);
    emit linesRemoved();
    return taken;
}

void LyricsDocument::putLine(int line, LyricLine content)
{
    emit linesAboutToBeInserted(line, line);
    m_content.lines.insert(m_content.lines.begin() + line, std::move(content));
    emit linesInserted();
}

void LyricsDocument::writeLine(int line, const LyricLine& content)
{
    m_content.lines[static_cast<std::size_t>(line)] = content;
    emit linesChanged(line, line);
}

void LyricsDocument::writeCell(int line, int column, const QString& text)
{
    LyricLine& cells = m_content.lines[static_cast<std::size_t>(line)];
    (column == 0 ? cells.tag : cells.text) = text;
    emit linesChanged(line, line);
}

QString CellText(const LyricsDocument& document, int row, int column)
{
    return document.cellAt(row * document.cols() + column);
}

int LineTagIndex(const LyricsDocument& document, int line)
{
    return (line + 1) * document.cols();
}

}  // namespace lyricue
