#include "audio/playable_files.h"

#include "audio/audio_formats.h"

namespace lyricue {

bool isPlayableFileName(const QString& path)
{
    return audioFormatOf(path) != nullptr;
}

}  // namespace lyricue
