#pragma once

#include <QString>

namespace lyricue {

// The longest path, in bytes of the file system's encoding, that the path functions accept.
int maxPathLength();

// `path` with the extension of its final component replaced by `extension` (which
// includes its dot), or appended when it has none. Empty when the result would be
// longer than maxPathLength().
QString ChangeExtension(const QString& path, const QString& extension);

// The final component of `path`: its file name with extension.
QString FileNameOfPath(const QString& path);

}  // namespace lyricue
