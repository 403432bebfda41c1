#include "audio/tag_reader.h"

#include "audio_engine.h"
#include "tags/tag_module_entry.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

constexpr int NoGenre = 255;

// Where the module is looked for: beside the program as installed (the library
// folder relative to the program's folder), then where this build made it.
QStringList moduleFolders()
{
    QStringList folders;
    if (QCoreApplication::instance() != nullptr)
        folders.append(QDir(QCoreApplication::applicationDirPath())
                           .filePath(QStringLiteral(LYRICUE_TAG_MODULE_INSTALL_RELATIVE_DIR)));
    folders.append(QStringLiteral(LYRICUE_TAG_MODULE_BUILD_DIR));
    return folders;
}

}  // namespace

TagModuleEntry loadTagModule(const QStringList& folders)
{
    QStringList reasons;
    for (const QString& folder : folders) {
        QLibrary library(QDir(folder).filePath(QStringLiteral("lyricue_tags")));
        // Going out of scope leaves the library loaded, as it must stay.
        if (!library.load()) {
            reasons.append(library.errorString());
            continue;
        }
        if (auto entry = reinterpret_cast<TagModuleEntry>(library.resolve(tagModuleEntryName)))
            return entry;
        reasons.append(library.errorString());
        library.unload();
    }
    std::fprintf(stderr, "Lyricue: cannot load the tag reader module, so no tags are shown: %s\n",
                 qPrintable(reasons.join(QStringLiteral("; "))));
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
