#pragma once

#include <QString>
#include <QStringView>

namespace lyricue {

// A text up to, not including, its first NUL; the text unchanged if it holds none.
inline QString CutAtNul(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return (nul < 0 ? text : text.left(nul)).toString();
}

}  // namespace lyricue
