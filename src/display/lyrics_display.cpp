#include "lyrics_display.h"

#include "ansi_text.h"
#include "audio_engine.h"
#include "record_text.h"

std::array<QString, 5> lyricsLabelTexts(const LyricsLinesRecord& record)
{
    std::array<QString, 5> texts;
    for (int label = 0; label < 5; ++label)
        texts[label] = decodeCp932(record_text::bytes(record.lines[4 - label]));
    return texts;
}
