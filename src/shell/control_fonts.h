#pragma once

#include <QFont>

// The fonts of the window's controls. Each names the Windows face first, then faces
// with the same look that Linux systems have (fonts-noto-cjk), so Japanese text shows.
QFont gothicFont(double points);   // ＭＳ Ｐゴシック: the window and most controls
QFont minchoFont(double points);   // ＭＳ Ｐ明朝: the "Time Input" button
QFont systemFont(double points);   // System: the two time labels
