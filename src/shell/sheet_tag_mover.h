#pragma once

#include <QtGlobal>

class LyricsSheet;

// Writes a line's tag as "[mm:ss:xx]" for a time in hundredths: the one road by which
// the timeline changes a tag.
void moveTagInSheet(LyricsSheet& sheet, int line, qint64 hundredths);
