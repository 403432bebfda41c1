#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>

namespace lyricue {

struct TrackLyrics;
struct TrackTagRecord;
struct TrackTextRecord;

// The functions of the tag module (lyricue_tags), which holds everything that uses
// TagLib: the program (audio/tag_reader.h, audio/track_lyrics.h) loads the module when
// tags are first needed and calls these, so that TagLib is not loaded at start-up.
inline constexpr const char* tagModuleEntryName = "lyricue_read_track_tags";
inline constexpr const char* tagLyricsReadEntryName = "lyricue_read_track_lyrics";
inline constexpr const char* tagLyricsWriteEntryName = "lyricue_write_track_lyrics";
using TagModuleEntry = bool (*)(const QString* path, TrackTagRecord* tags, TrackTextRecord* texts);
// Each lyrics function returns false with the reason in `message` (Japanese), which the
// program turns into a Result at once.
using TagLyricsReadEntry = bool (*)(const QString* path, TrackLyrics* lyrics, QString* message);
using TagLyricsWriteEntry = bool (*)(const QString* path, const TrackLyrics* lyrics, QString* message);

// The module's functions.
struct TagModule {
    TagModuleEntry readTags = nullptr;
    TagLyricsReadEntry readLyrics = nullptr;
    TagLyricsWriteEntry writeLyrics = nullptr;
};

// The module from the first of `folders` that holds one with all its functions; when
// none does, the message gives each folder's reason.
ResultOf<TagModule> loadTagModule(const QStringList& folders);

// The module as the program loads it once, from moduleFolders(); the failure says why
// it is missing.
const ResultOf<TagModule>& tagModule();

}  // namespace lyricue
