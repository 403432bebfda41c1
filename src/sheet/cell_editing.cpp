#include "sheet/cell_editing.h"

#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "sheet/lyrics_sheet.h"

#include <QLineEdit>

void CellEditing::FlxGrid_Click()
{
    if (sheet.rowSel() < 1)
        return;  // no line row is selected: the header is never a target
    // What is typed from here on is one edit, undone in one step.
    sheet.document().beginCellEdit();
    const int column = sheet.colSel();
    if (column == 0) {
        Time_Txt.setFocus();
        Time_Txt.setText(sheet.cellAt(sheet.rowSel() * sheet.cols()));
        state.StampRow = static_cast<std::int16_t>(sheet.rowSel() - 1);
    } else if (column == 1) {
        Grid_Txt.setFocus();
        Grid_Txt.setText(sheet.cellAt(sheet.rowSel() * sheet.cols() + 1));
    }
}

void CellEditing::Time_Txt_Change()
{
    if (sheet.rowSel() < 1)
        return;
    sheet.document().editCell(sheet.rowSel() - 1, 0, Time_Txt.text());
}

void CellEditing::Grid_Txt_Change()
{
    if (sheet.rowSel() < 1)
        return;
    sheet.document().editCell(sheet.rowSel() - 1, 1, Grid_Txt.text());
}
