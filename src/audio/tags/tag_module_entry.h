#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>

namespace lyricue {

struct TrackTagRecord;
struct TrackTextRecord;

// The one function of the tag reader module (lyricue_tags), which holds everything
// that uses TagLib: readTrackTags (audio/tag_reader.h) loads the module when tags are
// first read and calls this, so that TagLib is not loaded at start-up.
inline constexpr const char* tagModuleEntryName = "lyricue_read_track_tags";
using TagModuleEntry = bool (*)(const QString* path, TrackTagRecord* tags, TrackTextRecord* texts);

// The module's function, from the first of `folders` that holds a module that has it;
// when none does, the message gives each folder's reason.
ResultOf<TagModuleEntry> loadTagModule(const QStringList& folders);

}  // namespace lyricue
