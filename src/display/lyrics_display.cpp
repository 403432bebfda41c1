#include "display/lyrics_display.h"

#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "text/record_text.h"

namespace lyricue {

std::array<QString, 5> lyricsLabelTexts(const LyricsLinesRecord& record)
{
    std::array<QString, 5> texts;
    for (int label = 0; label < 5; ++label)
        texts[label] = decodeCp932(record_text::bytes(record.lines[4 - label]));
    return texts;
}

}  // namespace lyricue
