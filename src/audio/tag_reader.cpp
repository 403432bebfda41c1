#include "audio/tag_reader.h"

#include "audio/audio_engine.h"
#include "audio/module_loader.h"
#include "audio/tags/tag_module_entry.h"


#include <cstdio>
#include <cstring>

namespace lyricue {

namespace {

constexpr int NoGenre = 255;

}  // namespace

TagModuleEntry loadTagModule(const QStringList& folders)
{
    QString reasons;
    if (auto entry = reinterpret_cast<TagModuleEntry>(
            loadModuleFunction(QStringLiteral("lyricue_tags"), tagModuleEntryName, folders, &reasons)))
        return entry;
    std::fprintf(stderr, "Lyricue: cannot load the tag reader module, so no tags are shown: %s\n",
                 qPrintable(reasons));
    return nullptr;
}

bool readTrackTags(const QString& path, TrackTagRecord& tags, TrackTextRecord& texts)
{
    static const TagModuleEntry readWithTagLib = loadTagModule(moduleFolders());
    if (readWithTagLib != nullptr)
        return readWithTagLib(&path, &tags, &texts);
    std::memset(&tags, 0, sizeof tags);
    std::memset(&texts, 0, sizeof texts);
    tags.genreNumber = NoGenre;
    return false;
}

}  // namespace lyricue
