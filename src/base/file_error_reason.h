#pragma once

#include <QString>

namespace lyricue {

// Why a file could not be opened, read or written, for a message to the user: the
// common reasons (no such file or folder, no permission, disk full, read-only file
// system, file too large, file in use, a folder where a file was meant) in
// Japanese. `systemText` is what the file reported (QFileDevice::errorString());
// a reason not known here keeps that text.
QString fileErrorReason(const QString& systemText);

}  // namespace lyricue
