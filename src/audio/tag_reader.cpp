#include "audio/tag_reader.h"

#include "audio/audio_engine.h"
#include "audio/library_loader.h"
#include "audio/tags/tag_module_entry.h"
#include "base/log.h"

#include <cstring>

namespace lyricue {

namespace {

constexpr int NoGenre = 255;

}  // namespace

ResultOf<TagModuleEntry> loadTagModule(const QStringList& folders)
{
    return loadModuleEntry<TagModuleEntry>(QStringLiteral("lyricue_tags"), tagModuleEntryName, folders,
                                           QStringLiteral("タグ読み取りモジュール lyricue_tags"));
}

Result readTrackTags(const QString& path, TrackTagRecord& tags, TrackTextRecord& texts)
{
    static const TagModuleEntry readWithTagLib = [] {
        const ResultOf<TagModuleEntry> entry = loadTagModule(moduleFolders());
        if (entry.ok())
            return entry.value();
        logWarning(QStringLiteral("cannot load the tag reader module, so no tags are shown: %1").arg(entry.errorString()));
        return TagModuleEntry(nullptr);
    }();
    if (readWithTagLib != nullptr) {
        // The module's C entry says only whether it read the file: a Result from here on.
        if (readWithTagLib(&path, &tags, &texts))
            return {};
        return Result::failure(QStringLiteral("%1 のタグを読めません").arg(path));
    }
    std::memset(&tags, 0, sizeof tags);
    std::memset(&texts, 0, sizeof texts);
    tags.genreNumber = NoGenre;
    return Result::failure(QStringLiteral("タグ読み取りモジュールがないため、タグを読めません"));
}

}  // namespace lyricue
