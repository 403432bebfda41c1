#include "sheet/cell_editing.h"

#include "document/lyrics_document.h"
#include "sheet/lyrics_sheet.h"

#include <QLineEdit>

namespace lyricue {

CellEditing::CellEditing(LyricsSheet& sheet, QLineEdit& timeBox, QLineEdit& textBox)
    : m_sheet(sheet), m_document(sheet.document()), Time_Txt(timeBox), Grid_Txt(textBox)
{
    connect(&m_document, &LyricsDocument::linesChanged, this, [this](int first, int last) {
        if (m_line >= first && m_line <= last)
            refresh();
    });
    connect(&m_document, &LyricsDocument::linesAboutToBeInserted, this, &CellEditing::linesAboutToBeInserted);
    connect(&m_document, &LyricsDocument::linesAboutToBeRemoved, this, &CellEditing::linesAboutToBeRemoved);
    connect(&m_document, &LyricsDocument::linesRemoved, this, &CellEditing::refresh);
    connect(&m_document, &LyricsDocument::contentReplaced, this, [this] { show(0); });
}

void CellEditing::linesAboutToBeInserted(int first, int last)
{
    // Lines put in at or above the line shown push it down; lines added after the last do not.
    if (m_line >= first && m_line < m_document.lineRows())
        m_line += last - first + 1;
}

void CellEditing::linesAboutToBeRemoved(int first, int last)
{
    if (m_line > last)
        m_line -= last - first + 1;
    else if (m_line >= first)
        m_line = -1;
}

void CellEditing::show(int line)
{
    m_line = line;
    refresh();
}

void CellEditing::refresh()
{
    const bool shown = m_line >= 0 && m_line < m_document.lineRows();
    for (QLineEdit* box : {&Time_Txt, &Grid_Txt}) {
        const int column = box == &Time_Txt ? 0 : 1;
        const QString text = shown ? m_document.cellAt(LineTagIndex(m_document, m_line) + column) : QString();
        // Only a real change: the box the user types in keeps its cursor.
        if (box->text() != text)
            box->setText(text);
        box->setReadOnly(m_line < 0);
    }
}

void CellEditing::FlxGrid_Click()
{
    if (m_sheet.rowSel() < 1)
        return;  // no line row is selected: the header is never a target
    // What is typed from here on is one edit, undone in one step.
    m_document.beginCellEdit();
    const int line = m_sheet.rowSel() - 1;
    const int column = m_sheet.colSel();
    if (column == 0) {
        Time_Txt.setFocus();
        show(line);
        m_document.setStampRow(line);
    } else if (column == 1) {
        Grid_Txt.setFocus();
        show(line);
    }
}

void CellEditing::write(int column, const QString& text)
{
    if (m_line >= 0)
        m_document.editCell(m_line, column, text);
}

void CellEditing::Time_Txt_Change()
{
    write(0, Time_Txt.text());
}

void CellEditing::Grid_Txt_Change()
{
    write(1, Grid_Txt.text());
}

}  // namespace lyricue
