#pragma once

#include <QString>

namespace lyricue {

// Path of a committed fixture file under tests/data.
inline QString testDataPath(const QString& name)
{
    return QStringLiteral(LYRICUE_TEST_DATA_DIR "/") + name;
}

}  // namespace lyricue
