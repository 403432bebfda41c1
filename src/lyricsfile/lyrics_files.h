#pragma once

#include "audio_engine.h"
#include "lyrics_sheet.h"
#include "program_state.h"
#include "prompts.h"

// What the lyrics loader and the savers work on: the engine that is handed the
// file, the prompts, the shared state, the sheet and the one file dialog object.
struct LyricsFiles {
    AudioEngine& engine;
    Prompts& prompts;
    ProgramState& state;
    LyricsSheet& sheet;
    FileDialogSettings& CommonDialog1;
};
