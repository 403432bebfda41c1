#include "playback/engine_options.h"

#include "audio/audio_engine.h"
#include "base/prompts.h"

namespace lyricue {

void ApplyEngineOptions(AudioEngine& engine, Prompts& prompts)
{
    EngineOptionRecord options{128, 25, 20, 0};
    if (engine.vbmp3_setVbmp3Option(options) == 0)
        prompts.showMessage(QStringLiteral("error"));
}

void ApplyDecodeOptions(AudioEngine& engine, Prompts& prompts)
{
    DecodeOptionRecord options{0, 0, 48000};
    if (engine.vbmp3_setDecodeOption(options) == 0)
        prompts.showMessage(QStringLiteral("error"));
}

}  // namespace lyricue
