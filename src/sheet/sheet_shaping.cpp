#include "sheet_shaping.h"

#include "lyrics_sheet.h"
#include "program_state.h"

void shapeSheetAtStartUp(LyricsSheet& sheet, ProgramState& state)
{
    sheet.setCols(2);
    sheet.setRows(15);
    sheet.setHeaderFormat(QStringLiteral("<Time Tag|<歌詞"));
    sheet.setColWidth(0, 1200);
    sheet.setColWidth(1, 6150);
    sheet.setFocusRect(0);
    sheet.setHighLight(1);
    state.LineCount = 14;
}
