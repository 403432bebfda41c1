#include "stamping.h"

#include "lyrics_sheet.h"
#include "program_state.h"
#include "prompts.h"

void stampStep(LyricsSheet& sheet, ProgramState& state, Prompts& prompts, const QString& value)
{
    const int rowCount = sheet.rows();
    const int current = sheet.row();
    const int lineCount = rowCount - 1;
    // The current row lies past the last row, or StampRow has run past the last line
    // (it can while it is ahead of the current row): writing would leave the sheet.
    if (current + 1 > rowCount || state.StampRow < 0 || state.StampRow >= lineCount) {
        prompts.showMessage(QStringLiteral("Error Rows!!"));
        return;
    }
    sheet.setCellAt(LineTagIndex(sheet, state.StampRow), value);
    if (current + 1 == rowCount)
        return;
    sheet.setRow(current + 1);
    ++state.StampRow;
    if (sheet.row() > 7)
        sheet.setTopRow(sheet.topRow() + 1);
}
