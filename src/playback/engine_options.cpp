#include "playback/engine_options.h"

#include "audio/audio_engine.h"

namespace lyricue {

Result ApplyEngineOptions(AudioEngine& engine)
{
    EngineOptionRecord options{128, 25, 20, 0};
    return engine.vbmp3_setVbmp3Option(options) == 0 ? Result::failure(QStringLiteral("error")) : Result();
}

Result ApplyDecodeOptions(AudioEngine& engine)
{
    DecodeOptionRecord options{0, 0, 48000};
    return engine.vbmp3_setDecodeOption(options) == 0 ? Result::failure(QStringLiteral("error")) : Result();
}

}  // namespace lyricue
