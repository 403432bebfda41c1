#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace lyricue {

// The marker a cancelled file dialog leaves in SelectedPath.
inline const QString ErrorCancel = QStringLiteral("Error_Cancel");

// The state shared by all handlers for the whole run; one instance lives in the window.
// What belongs to the lines themselves (LineCount, the file they came from, its
// encoding, LRC headers) lives in the LyricsDocument.
struct ProgramState {
    QString SelectedPath;   // last path chosen in an open dialog, or ErrorCancel
    QString LyricsPath;     // the current lyrics file; empty when there is none
    std::int16_t StampRow = 0;
    std::int16_t FileNo = 0;
    QStringList LyricLines;
    std::int32_t LoadAnswer = 0;
    // The music file last chosen with "読込", for the LRC export's name and headers.
    QString TrackPath;
    // The lyrics file last handed to the engine, whose lines the five labels show.
    QString EngineLyricsPath;
};

}  // namespace lyricue
