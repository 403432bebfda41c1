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

ResultOf<TagModule> loadTagModule(const QStringList& folders)
{
    LibrarySearch search = moduleSearch(QStringLiteral("lyricue_tags"), tagModuleEntryName, folders,
                                        QStringLiteral("タグ読み取りモジュール lyricue_tags"));
    search.functions.append(QByteArray(tagLyricsReadEntryName));
    search.functions.append(QByteArray(tagLyricsWriteEntryName));
    const ResultOf<LoadedLibrary> module = loadLibrary(search);
    if (!module.ok())
        return Result::failure(module.errorString());
    return TagModule{module->function<TagModuleEntry>(tagModuleEntryName),
                     module->function<TagLyricsReadEntry>(tagLyricsReadEntryName),
                     module->function<TagLyricsWriteEntry>(tagLyricsWriteEntryName)};
}

const ResultOf<TagModule>& tagModule()
{
    static const ResultOf<TagModule> module = [] {
        ResultOf<TagModule> loaded = loadTagModule(moduleFolders());
        if (!loaded.ok())
            logWarning(QStringLiteral("cannot load the tag module, so no tags are shown: %1").arg(loaded.errorString()));
        return loaded;
    }();
    return module;
}

Result readTrackTags(const QString& path, TrackTagRecord& tags, TrackTextRecord& texts)
{
    const TagModuleEntry readWithTagLib = tagModule().ok() ? tagModule()->readTags : nullptr;
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
