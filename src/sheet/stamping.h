#pragma once

#include <QString>

namespace lyricue {

class LyricsSheet;
class Prompts;
struct ProgramState;

// One press of a stamping button: writes `value` into the tag cell of line
// StampRow and steps the current row and StampRow on, scrolling from row 8 on.
// On the last row it rewrites that tag and stays. A press whose StampRow lies
// outside the sheet's lines writes nothing and moves nothing.
void stampStep(LyricsSheet& sheet, ProgramState& state, Prompts& prompts, const QString& value);

}  // namespace lyricue
