#pragma once

#include <QString>

namespace lyricue {

// The one channel for what the program notes and carries on after (a module that cannot
// be loaded, a sound output that went away): Qt's warning log under the category
// "lyricue", which users and tests can filter; never a failure the user must see, which
// goes back as a Result.
void logWarning(const QString& message);

}  // namespace lyricue
