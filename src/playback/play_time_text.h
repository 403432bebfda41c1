#pragma once

#include <QString>

#include <cstdint>

namespace lyricue {

class AudioEngine;

// The play position as "mm:ss:xx" (minutes, seconds, hundredths, each at least two
// digits); hundredths are truncated, never rounded.
QString playTimeTextForMs(std::int32_t ms);

// The play-time text for the position the engine reports now.
QString PlayTimeText(AudioEngine& engine);

}  // namespace lyricue
