#pragma once

#include "ansi_text.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The marker a cancelled file dialog leaves in SelectedPath.
inline const QString ErrorCancel = QStringLiteral("Error_Cancel");

// The state shared by all handlers for the whole run; one instance lives in the window.
struct ProgramState {
    QString SelectedPath;   // last path chosen in an open dialog, or ErrorCancel
    QString LyricsPath;     // the current lyrics file; empty when there is none
    std::int16_t LineCount = 0;
    std::int16_t StampRow = 0;
    std::int16_t FileNo = 0;
    QStringList LyricLines;
    std::int32_t LoadAnswer = 0;
    // The encoding of the loaded lyrics file, which saves keep.
    TextEncoding LyricsEncoding = TextEncoding::Cp932;
    // The files that hold the sheet: the one it was loaded from and the one it was
    // last saved to (empty when none). Replacing any other existing file asks first.
    QString SheetSourcePath;
    QString SheetSavedPath;
    // Header lines of an imported LRC file ("[ti:Title]"), written back by its export.
    QStringList LrcHeaders;
    // The music file last chosen with "読込", for the LRC export's name and headers.
    QString TrackPath;
};
