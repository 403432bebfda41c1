#include "audio/library_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace lyricue {

namespace {

// Loads one candidate with every function of `search`; the reason when it cannot.
ResultOf<LoadedLibrary> loadCandidate(const QString& fileName, int version, const LibrarySearch& search)
{
    QLibrary library;  // going out of scope leaves the library loaded, as it must stay
    if (version >= 0)
        library.setFileNameAndVersion(fileName, version);
    else
        library.setFileName(fileName);
    if (!library.load())
        return Result::failure(library.errorString());
    QHash<QByteArray, QFunctionPointer> functions;
    QStringList missing;
    for (const QByteArray& name : search.functions) {
        if (const QFunctionPointer function = library.resolve(name.constData()))
            functions.insert(name, function);
        else
            missing.append(QString::fromLatin1(name));
    }
    if (!missing.isEmpty()) {
        const QString file = library.fileName();
        library.unload();
        return Result::failure(QStringLiteral("%1 に %2 がありません").arg(file, missing.join(QStringLiteral(", "))));
    }
    return LoadedLibrary(library.fileName(), std::move(functions));
}

}  // namespace

ResultOf<LoadedLibrary> loadLibrary(const LibrarySearch& search)
{
    const QStringList folders = search.folders.isEmpty() ? QStringList{QString()} : search.folders;
    QStringList reasons;
    for (const QString& folder : folders) {
        for (const LibrarySearch::Name& name : search.names) {
            const QString fileName = folder.isEmpty() ? name.name : QDir(folder).filePath(name.name);
            ResultOf<LoadedLibrary> loaded = loadCandidate(fileName, name.version, search);
            if (loaded.ok())
                return loaded;
            reasons.append(loaded.errorString());
        }
    }
    return Result::failure(
        QStringLiteral("%1 を読み込めません: %2").arg(search.description, reasons.join(QStringLiteral("; "))));
}

QStringList moduleFolders()
{
    QStringList folders;
    if (QCoreApplication::instance() != nullptr)
        folders.append(QDir(QCoreApplication::applicationDirPath())
                           .filePath(QStringLiteral(LYRICUE_TAG_MODULE_INSTALL_RELATIVE_DIR)));
    folders.append(QStringLiteral(LYRICUE_TAG_MODULE_BUILD_DIR));
    return folders;
}

LibrarySearch moduleSearch(const QString& baseName, const char* entry, const QStringList& folders,
                           const QString& description)
{
    return LibrarySearch{{{baseName}}, folders, {QByteArray(entry)}, description};
}

}  // namespace lyricue
