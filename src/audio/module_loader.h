#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace lyricue {

// Where the program's modules (tags, FFmpeg decoding) are looked for: beside the program
// as installed (the library folder relative to the program's folder), then where this
// build made them.
QStringList moduleFolders();

// The function `entry` of the module `baseName`, from the first of `folders` that holds
// a module that has it; the module then stays loaded. nullptr when none does, with each
// folder's reason in `reasons`.
QFunctionPointer loadModuleFunction(const QString& baseName, const char* entry, const QStringList& folders,
                                    QString* reasons);

}  // namespace lyricue
