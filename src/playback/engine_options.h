#pragma once

namespace lyricue {

class AudioEngine;
class Prompts;

// Start-up options for the engine; a refusal shows "error" and start-up goes on.
void ApplyEngineOptions(AudioEngine& engine, Prompts& prompts);
void ApplyDecodeOptions(AudioEngine& engine, Prompts& prompts);

}  // namespace lyricue
