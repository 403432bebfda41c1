#pragma once

#include <QByteArray>
#include <QString>

namespace lyricue {

// Writes `bytes` to the file at `path`, made or replaced; a file that cannot be written
// fails the test that asked for it.
void writeTestFile(const QString& path, const QByteArray& bytes);

// The bytes of the file at `path`; "<unreadable>" when it cannot be read.
QByteArray readTestFile(const QString& path);

}  // namespace lyricue
