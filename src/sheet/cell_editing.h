#pragma once

#include <QString>

class LyricsSheet;
class QLineEdit;
struct ProgramState;

// Correcting single lines through the two edit boxes above the sheet. The target
// of every copy is the selected row at the moment of the change; the boxes keep
// no row of their own.
struct CellEditing {
    LyricsSheet& sheet;
    ProgramState& state;
    QLineEdit& Time_Txt;  // the tag of the selected line
    QLineEdit& Grid_Txt;  // the text of the selected line

    // A click in the sheet: loads the clicked cell into the box of its column and
    // focuses it; a click in the tag column also makes that line the next to stamp.
    void FlxGrid_Click();
    void Time_Txt_Change();
    void Grid_Txt_Change();
};
