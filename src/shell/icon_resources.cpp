#include "shell/icon_resources.h"

#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>

#include <array>

// The resources sit in a static library: nothing would pull them into the program
// unless their initialiser is called by name, from outside any namespace, since the
// initialiser is declared where it is called.
static void loadIconResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)loaded;
}

namespace lyricue {

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

namespace {

constexpr std::array<int, 6> kProgramIconSizes = {16, 32, 48, 64, 128, 256};

// The program icon, one PNG per size, each read only when a pixmap is first wanted
// from it: where the window's icon is never drawn (offscreen) none of the six is
// decoded, where one or two sizes are shown only those. Sizes are chosen as QIcon
// chooses among files added to it: the smallest at least as large as asked for,
// else the largest.
class ProgramIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return iconFor(size).pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        iconFor(rect.size()).paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = kProgramIconSizes[bestIndex(size)];
        QSize actual(side, side);
        if (actual.width() > size.width() || actual.height() > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off) {
            for (const int side : kProgramIconSizes)
                sizes.append(QSize(side, side));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }
    QString key() const override { return QStringLiteral("ProgramIconEngine"); }

private:
    static std::size_t bestIndex(const QSize& size)
    {
        const qint64 wanted = qint64(size.width()) * size.height();
        for (std::size_t index = 0; index < kProgramIconSizes.size(); ++index) {
            if (qint64(kProgramIconSizes[index]) * kProgramIconSizes[index] >= wanted)
                return index;
        }
        return kProgramIconSizes.size() - 1;
    }

    const QIcon& iconFor(const QSize& size)
    {
        QIcon& icon = m_icons[bestIndex(size)];
        if (icon.isNull())
            icon = QIcon(QStringLiteral(":/icons/lyricue_%1.png").arg(kProgramIconSizes[bestIndex(size)]));
        return icon;
    }

    std::array<QIcon, kProgramIconSizes.size()> m_icons;
};

}  // namespace

QIcon programIcon()
{
    loadIconResources();
    return QIcon(new ProgramIconEngine);
}

}  // namespace lyricue
