#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace lyricue {

// Where a library that the program loads when first needed is looked for, and the
// functions it must have.
struct LibrarySearch {
    struct Name {
        QString name;      // "SDL2-2.0", "pulse", or a module's "lyricue_tags"
        int version = -1;  // the major version of the file name ("libpulse.so.0"); -1: none
    };
    QList<Name> names;     // tried in order
    QStringList folders;   // each tried in order; empty: the system's library path
    QList<QByteArray> functions;
    QString description;   // what the user is told failed to load ("SDL2")
};

// A library loaded for good, with the functions its search asked for.
class LoadedLibrary {
public:
    LoadedLibrary(QString fileName, QHash<QByteArray, QFunctionPointer> functions)
        : m_fileName(std::move(fileName))
        , m_functions(std::move(functions))
    {
    }
    const QString& fileName() const { return m_fileName; }
    // One of the functions asked for (never nullptr).
    template <typename Function>
    Function function(const QByteArray& name) const
    {
        return reinterpret_cast<Function>(m_functions.value(name));
    }

private:
    QString m_fileName;
    QHash<QByteArray, QFunctionPointer> m_functions;
};

// The first library of `search` (each folder, then each name) that loads and has every
// function; the others are unloaded again. Fails with each candidate's reason.
ResultOf<LoadedLibrary> loadLibrary(const LibrarySearch& search);

// Where the program's modules (tags, FFmpeg decoding, stretching) are looked for: beside
// the program as installed (the library folder relative to the program's folder), then
// where this build made them.
QStringList moduleFolders();

// The search for the module `baseName` in `folders` with its one entry function.
LibrarySearch moduleSearch(const QString& baseName, const char* entry, const QStringList& folders,
                           const QString& description);

// The entry function of the module `baseName`, from the first of `folders` that holds a
// module that has it; when none does, the message gives each folder's reason.
template <typename Entry>
ResultOf<Entry> loadModuleEntry(const QString& baseName, const char* entry, const QStringList& folders,
                                const QString& description)
{
    const ResultOf<LoadedLibrary> module = loadLibrary(moduleSearch(baseName, entry, folders, description));
    if (!module.ok())
        return Result::failure(module.errorString());
    return module->function<Entry>(QByteArray(entry));
}

}  // namespace lyricue
