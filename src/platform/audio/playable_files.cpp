#include "audio/playable_files.h"

#include <QFileInfo>

bool isPlayableFileName(const QString& path)
{
    static const QString extensions[] = {QStringLiteral("mp3"), QStringLiteral("rmp")};
    const QString suffix = QFileInfo(path).suffix();
    for (const QString& extension : extensions) {
        if (suffix.compare(extension, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
