#include "audio/playable_files.h"

#include <QFileInfo>

namespace lyricue {

bool isPlayableFileName(const QString& path)
{
    static const QString extensions[] = {QStringLiteral("mp3"),  QStringLiteral("rmp"), QStringLiteral("flac"),
                                         QStringLiteral("ogg"),  QStringLiteral("oga"), QStringLiteral("opus"),
                                         QStringLiteral("m4a"),  QStringLiteral("mp4"), QStringLiteral("wav")};
    const QString suffix = QFileInfo(path).suffix();
    for (const QString& extension : extensions) {
        if (suffix.compare(extension, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace lyricue
