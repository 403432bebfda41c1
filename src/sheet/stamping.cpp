#include "sheet/stamping.h"

#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "base/prompts.h"
#include "sheet/lyrics_sheet.h"

namespace lyricue {

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
    const bool advances = current + 1 < rowCount;
    const StampCursor before{state.StampRow, current};
    const StampCursor after = advances ? StampCursor{state.StampRow + 1, current + 1} : before;
    // One step: undoing it puts the tag, StampRow and the current row back.
    sheet.document().setTag(state.StampRow, value,
                            value.isEmpty() ? QStringLiteral("Space") : QStringLiteral("Time Input"),
                            CursorMove{before, after});
    if (!advances)
        return;
    sheet.setRow(current + 1);
    ++state.StampRow;
    if (sheet.row() > 7)
        sheet.setTopRow(sheet.topRow() + 1);
}

}  // namespace lyricue
