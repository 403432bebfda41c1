#include "document/document_steps.h"

#include <utility>

namespace lyricue {

CursorStep::CursorStep(LyricsDocument& document, const QString& text, std::optional<CursorMove> cursor,
                       QUndoCommand* parent)
    : QUndoCommand(text, parent), m_document(document), m_cursor(cursor)
{
}

void CursorStep::undo()
{
    revert();
    m_document.beginCellEdit();
    if (m_cursor)
        m_document.setCursor(m_cursor->before, CursorChange::Restored);
}

void CursorStep::redo()
{
    apply();
    m_document.beginCellEdit();
    if (m_cursor && m_done)
        m_document.setCursor(m_cursor->after, CursorChange::Restored);
    m_done = true;
}

SetLineStep::SetLineStep(LyricsDocument& document, int line, LyricLine after, const QString& text,
                         std::optional<CursorMove> cursor)
    : CursorStep(document, text, cursor), m_line(line), m_before(document.line(line)), m_after(std::move(after))
{
}

void SetLineStep::apply()
{
    m_document.writeLine(m_line, m_after);
}

void SetLineStep::revert()
{
    m_document.writeLine(m_line, m_before);
}

namespace {

const QString& cellOf(const LyricsDocument& document, int line, int column)
{
    return column == 0 ? document.line(line).tag : document.line(line).text;
}

}  // namespace

EditCellStep::EditCellStep(LyricsDocument& document, int line, int column, QString text)
    : QUndoCommand(QStringLiteral("セルの修正")), m_document(document), m_line(line), m_column(column),
      m_session(document.editSession()), m_before(cellOf(document, line, column)), m_after(std::move(text))
{
}

bool EditCellStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const EditCellStep*>(other);
    if (next->m_line != m_line || next->m_column != m_column || next->m_session != m_session)
        return false;
    m_after = next->m_after;
    // An edit that ends where it began is no step at all.
    setObsolete(m_after == m_before);
    return true;
}

void EditCellStep::undo()
{
    m_document.writeCell(m_line, m_column, m_before);
    // Typing after an undo starts a new edit, never one merged into an older step.
    m_document.beginCellEdit();
}

void EditCellStep::redo()
{
    m_document.writeCell(m_line, m_column, m_after);
    if (m_done)
        m_document.beginCellEdit();
    m_done = true;
}

LineStep::LineStep(LyricsDocument& document, Kind kind, int line, const CursorMove& cursor)
    : CursorStep(document, kind == Insert ? QStringLiteral("行の挿入") : QStringLiteral("行の削除"), cursor),
      m_kind(kind), m_line(line),
      // An inserted line just past the last counted one is counted too (an empty load's sheet).
      m_countsLine(kind == Insert ? line <= document.LineCount() : line < document.LineCount())
{
}

void LineStep::add()
{
    m_document.putLine(m_line, std::exchange(m_taken, LyricLine()));
    if (m_countsLine)
        m_document.setLineCount(static_cast<std::int16_t>(m_document.LineCount() + 1));
}

void LineStep::take()
{
    m_taken = m_document.takeLine(m_line);
    if (m_countsLine)
        m_document.setLineCount(static_cast<std::int16_t>(m_document.LineCount() - 1));
}

ReplaceContentStep::ReplaceContentStep(LyricsDocument& document, LyricsContent content, QUndoCommand* parent)
    : QUndoCommand(parent), m_document(document), m_other(std::move(content))
{
}

void ReplaceContentStep::undo()
{
    m_document.swapContent(m_other);
    m_document.beginCellEdit();
}

void ReplaceContentStep::redo()
{
    m_document.swapContent(m_other);
    m_document.beginCellEdit();
}

}  // namespace lyricue
