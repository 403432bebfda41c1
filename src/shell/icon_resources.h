#pragma once

#include <QIcon>
#include <QString>

namespace lyricue {

// The drawn icon of this name from the ":/icons" resources; a PNG is taken before an
// SVG of the same name, since SVG needs Qt's SVG plugin at run time.
QIcon iconResource(const QString& name);

// The program icon, at each size it was drawn in.
QIcon programIcon();

}  // namespace lyricue
