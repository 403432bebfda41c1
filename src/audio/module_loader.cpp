#include "audio/module_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace lyricue {

QStringList moduleFolders()
{
    QStringList folders;
    if (QCoreApplication::instance() != nullptr)
        folders.append(QDir(QCoreApplication::applicationDirPath())
                           .filePath(QStringLiteral(LYRICUE_TAG_MODULE_INSTALL_RELATIVE_DIR)));
    folders.append(QStringLiteral(LYRICUE_TAG_MODULE_BUILD_DIR));
    return folders;
}

QFunctionPointer loadModuleFunction(const QString& baseName, const char* entry, const QStringList& folders,
                                    QString* reasons)
{
    QStringList failures;
    for (const QString& folder : folders) {
        QLibrary library(QDir(folder).filePath(baseName));
        // Going out of scope leaves the library loaded, as it must stay.
        if (!library.load()) {
            failures.append(library.errorString());
            continue;
        }
        if (QFunctionPointer function = library.resolve(entry))
            return function;
        failures.append(library.errorString());
        library.unload();
    }
    if (reasons)
        *reasons = failures.join(QStringLiteral("; "));
    return nullptr;
}

}  // namespace lyricue
