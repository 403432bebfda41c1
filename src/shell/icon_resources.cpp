#include "icon_resources.h"

#include <QFileInfo>

// The resources sit in a static library: nothing would pull them into the program
// unless their initialiser is called by name (outside any namespace, as the
// initialiser is declared where it is called).
static void loadIconResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)loaded;
}

QIcon iconResource(const QString& name)
{
    loadIconResources();
    for (const char* suffix : {".png", ".svg"}) {
        const QString path = QStringLiteral(":/icons/") + name + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            return QIcon(path);
    }
    return QIcon();
}

QIcon programIcon()
{
    loadIconResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/lyricue_%1.png").arg(size));
    return icon;
}
