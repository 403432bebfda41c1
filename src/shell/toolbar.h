#pragma once

#include <QIcon>
#include <QList>

class QToolBar;

namespace lyricue {

// The toolbar's image list ImageList: ten 32 x 32 icons; image n is entry n - 1.
QList<QIcon> ImageList();

// Fills Toolbar1 with its 13 buttons in order: icons only, no caption, no tooltip.
// Each button's action carries its key as data and object name, and the button the
// key as its accessible name and object name.
void BuildToolbar(QToolBar& toolbar);

}  // namespace lyricue
