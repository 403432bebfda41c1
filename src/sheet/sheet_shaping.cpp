#include "sheet/sheet_shaping.h"

#include "document/lyrics_document.h"
#include "sheet/lyrics_sheet.h"

namespace lyricue {

void shapeSheetAtStartUp(LyricsSheet& sheet)
{
    sheet.setCols(2);
    sheet.setRows(15);
    sheet.setHeaderFormat(QStringLiteral("<Time Tag|<歌詞"));
    sheet.setColWidth(0, 1200);
    sheet.setColWidth(1, 6150);
    sheet.setFocusRect(0);
    sheet.setHighLight(1);
    sheet.document().setLineCount(14);
}

}  // namespace lyricue
