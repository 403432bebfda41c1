#pragma once

#include <QString>
#include <QStringList>

namespace lyricue {

// What the command line asks of the program: to start the window, or only to print
// its help, its version or a usage error, and end with the given exit code.
struct [[nodiscard]] CommandLineRequest {
    bool startWindow = true;
    int exitCode = 0;
    QString standardOutput;
    QString standardError;  // a Japanese message naming what was wrong
    QString trackPath;      // a music file to open once the window is up
};

// Reads the program's arguments (the program name first) before any application
// object exists, so that --help and --version need no display.
[[nodiscard]] CommandLineRequest readCommandLine(const QStringList& arguments);

}  // namespace lyricue
