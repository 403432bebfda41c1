#pragma once

// Long test tracks made from a committed fixture, for faults that need more than the
// read buffer's worth of file.
#include "support/test_data.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace lyricue {

// tone_noxing.mp3 is 56 kbit/s CBR with no header and no tags: copies of it one after
// the other are one longer stream of the same frames.
constexpr int kToneBytesPerSecond = 56000 / 8;

// Writes `copies` copies of tone_noxing.mp3 (about 3 s each) to `path`.
inline bool writeRepeatedTone(const QString& path, int copies)
{
    QFile source(testDataPath(QStringLiteral("tone_noxing.mp3")));
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray frames = source.readAll();
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    for (int copy = 0; copy < copies; ++copy)
        if (target.write(frames) != frames.size())
            return false;
    return true;
}

}  // namespace lyricue
