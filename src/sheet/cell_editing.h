#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace lyricue {

class LyricsDocument;
class LyricsSheet;


// Correcting single lines through the two edit boxes above the sheet. Both boxes show
// one line, the one last clicked (line 0 before any click and after a load): its tag
// and its text. Every change to the lines shows anew in them, and they follow their line
// when lines are inserted or deleted above it; when their line is deleted they are
// emptied and take no typing until a line is clicked. A keystroke in a box writes into
// the line the box shows, and only there.
class CellEditing : public QObject {
    Q_OBJECT
public:
    CellEditing(LyricsSheet& sheet, QLineEdit& Time_Txt, QLineEdit& Grid_Txt);

    // A click in the sheet: both boxes show the clicked line and the box of the clicked
    // column takes the focus; a click in the tag column also makes that line the next to stamp.
    void FlxGrid_Click();
    void Time_Txt_Change();
    void Grid_Txt_Change();

    // The line the boxes show; -1 when it was deleted.
    int shownLine() const { return m_line; }

private:
    void show(int line);
    void refresh();
    void linesAboutToBeInserted(int first, int last);
    void linesAboutToBeRemoved(int first, int last);
    void write(int column, const QString& text);

    LyricsSheet& m_sheet;
    LyricsDocument& m_document;
    QLineEdit& Time_Txt;  // the tag of the line shown
    QLineEdit& Grid_Txt;  // the text of the line shown
    int m_line = 0;
};

}  // namespace lyricue
