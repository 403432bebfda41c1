#pragma once

#include <QString>

namespace lyricue {

// Whether a file's name says it is a track the engine plays (an extension of the
// formats it opens, in any case), as opposed to a lyrics file.
[[nodiscard]] bool isPlayableFileName(const QString& path);

}  // namespace lyricue
