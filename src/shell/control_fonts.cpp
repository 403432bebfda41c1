#include "shell/control_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace lyricue {

namespace {

// The first of `faces` that is installed; the last entry is a generic name that
// fontconfig always resolves, so it is taken when none of the others is there.
// The window asks for one face per font instead of the whole list: with a list, Qt
// builds fontconfig's sorted fallback list for every face, size and script in use
// (about 1.5 M instructions each at start-up), which it otherwise builds only when
// a character is missing from the face.
QString firstInstalled(const QStringList& faces)
{
    static const QStringList installed = QFontDatabase::families();
    for (const QString& face : faces) {
        if (installed.contains(face, Qt::CaseInsensitive))
            return face;
    }
    return faces.last();
}

QFont fontOf(const QStringList& faces, double points, QFont::Weight weight = QFont::Normal)
{
    QFont font(firstInstalled(faces));
    font.setPointSizeF(points);
    font.setWeight(weight);
    // Drawn with the face's own TrueType instructions, as the window's text was drawn
    // on Windows, rather than with FreeType's light auto-hinter, which would first
    // sort every character of a CJK face into its writing systems (a few ms at start-up).
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace

QFont gothicFont(double points)
{
    return fontOf({QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")},
                  points);
}

QFont minchoFont(double points)
{
    return fontOf({QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho"),
                   QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                   QStringLiteral("Serif")},
                  points);
}

QFont systemFont(double points)
{
    // Windows' System face is a bold sans serif; the labels in it show only
    // Latin letters and digits.
    return fontOf({QStringLiteral("System"), QStringLiteral("Sans Serif")}, points, QFont::Bold);
}

}  // namespace lyricue
