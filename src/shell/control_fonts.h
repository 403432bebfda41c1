#pragma once

#include <QFont>

namespace lyricue {

// The fonts of the window's controls: the first installed of the Windows face, the
// IPA P face with the same character widths (fonts-ipafont-gothic, -mincho), Noto CJK
// (fonts-noto-cjk), then a generic face.
QFont gothicFont(double points);   // ＭＳ Ｐゴシック: the window and most controls
QFont minchoFont(double points);   // ＭＳ Ｐ明朝: the "Time Input" button
QFont systemFont(double points);   // System: the two time labels

}  // namespace lyricue
