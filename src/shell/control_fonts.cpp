#include "control_fonts.h"

#include <QStringList>

namespace {

QFont fontOf(const QStringList& families, double points, QFont::Weight weight = QFont::Normal)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

}  // namespace

QFont gothicFont(double points)
{
    return fontOf({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")},
                  points);
}

QFont minchoFont(double points)
{
    return fontOf({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
                   QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                   QStringLiteral("Serif")},
                  points);
}

QFont systemFont(double points)
{
    // Windows' System face is a bold sans serif.
    return fontOf({QStringLiteral("System"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")},
                  points, QFont::Bold);
}
