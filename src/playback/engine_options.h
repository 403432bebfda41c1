#pragma once

#include "base/result.h"

namespace lyricue {

class AudioEngine;

// Start-up options for the engine; a refusal fails with "error" (the window shows it and
// start-up goes on).
[[nodiscard]] Result ApplyEngineOptions(AudioEngine& engine);
[[nodiscard]] Result ApplyDecodeOptions(AudioEngine& engine);

}  // namespace lyricue
