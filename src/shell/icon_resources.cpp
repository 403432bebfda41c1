#include "icon_resources.h"

#include <QFileInfo>

QIcon iconResource(const QString& name)
{
    for (const char* suffix : {".png", ".svg"}) {
        const QString path = QStringLiteral(":/icons/") + name + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            return QIcon(path);
    }
    return QIcon();
}
