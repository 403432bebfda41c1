#include "sheet_tag_mover.h"

#include "lyrics_sheet.h"
#include "play_time_text.h"

#include <algorithm>

void moveTagInSheet(LyricsSheet& sheet, int line, qint64 hundredths)
{
    const qint64 ms = std::clamp<qint64>(hundredths, 0, INT32_MAX / 10) * 10;
    sheet.setCellAt(LineTagIndex(sheet, line), u'[' + playTimeTextForMs(static_cast<std::int32_t>(ms)) + u']');
}
