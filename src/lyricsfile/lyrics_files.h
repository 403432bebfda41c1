#pragma once

#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "audio/audio_engine.h"
#include "base/prompts.h"

namespace lyricue {

// What the lyrics loader and the savers work on: the engine that is handed the
// file, the prompts, the shared state, the lyrics document and the one file dialog object.
struct LyricsFiles {
    AudioEngine& engine;
    Prompts& prompts;
    ProgramState& state;
    LyricsDocument& document;
    FileDialogSettings& CommonDialog1;
};

}  // namespace lyricue
