#include "document/lyrics_document.h"

#include "document/document_steps.h"

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
    m_undoStack.push(new SetTagStep(*this, line, tag, actionText, cursor));
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

bool LyricsDocument::insertLine(int line, const CursorMove& cursor)
{
    if (lineRows() >= MaxLyricLines || line < 0 || line > lineRows())
        return false;
    m_undoStack.push(new LineStep(*this, LineStep::Insert, line, cursor));
    return true;
}

bool LyricsDocument::removeLine(int line, const CursorMove& cursor)
{
    if (lineRows() <= 1 || line < 0 || line >= lineRows())
        return false;
    m_undoStack.push(new LineStep(*this, LineStep::Remove, line, cursor));
    return true;
}

void LyricsDocument::addReplaceStep(LyricsContent content, QUndoCommand* step)
{
    new ReplaceContentStep(*this, std::move(content), step);
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
