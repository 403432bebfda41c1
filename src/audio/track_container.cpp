#include "audio/track_container.h"

#include <QFile>

namespace lyricue {

TrackContainer trackContainerOf(QByteArrayView head)
{
    if (head.startsWith("RIFF"))
        return head.size() >= 12 && head.sliced(8, 4) == QByteArrayView("WAVE") ? TrackContainer::Wave
                                                                         : TrackContainer::Rmp;
    if (head.startsWith("fLaC"))
        return TrackContainer::Flac;
    if (head.startsWith("OggS"))
        return TrackContainer::Ogg;
    if (head.size() >= 8 && head.sliced(4, 4) == QByteArrayView("ftyp"))
        return TrackContainer::Mp4;
    return TrackContainer::Mpeg;
}

TrackContainer trackContainerOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TrackContainer::Mpeg;
    return trackContainerOf(file.read(12));
}

}  // namespace lyricue
