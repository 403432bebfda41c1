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
    // The encoding of the loaded lyrics file, which saves keep: CP932 unless it was UTF-8.
    TextEncoding LyricsEncoding = TextEncoding::Cp932;
};
