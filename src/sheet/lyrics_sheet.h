#pragma once

#include "document/lyrics_document.h"
#include "sheet/sheet_cell_delegate.h"

#include <QStringList>
#include <QTableView>

namespace lyricue {

class LyricsSheetModel;
class SheetCellDelegate;

// The two-column sheet that shows a lyrics document: time tags and lyric texts.
// Row 0 is the fixed header (shown as the table's header); line n lives in row
// n + 1. Every cell, the header included, is also reachable through one linear
// index: row * cols() + column. Every change goes to the document; a replaced
// document content (a load) is shown from its first line. The current row is the
// document's: the view shows it and a row the user moves to becomes it.
class LyricsSheet : public QTableView {
    Q_OBJECT
public:
    // Over a document of its own.
    explicit LyricsSheet(QWidget* parent = nullptr);
    // With its own font from the start: the header and rows are sized once, in that
    // font, instead of first in the parent's and again when the font is set.
    LyricsSheet(const QFont& font, QWidget* parent);
    LyricsSheet(LyricsDocument& document, const QFont& font, QWidget* parent);
    ~LyricsSheet() override;

    LyricsDocument& document() const { return *m_document; }

    int rows() const;          // the header row included
    void setRows(int rows);    // at least 1; new rows are empty
    int cols() const;
    void setCols(int cols);    // the document has 2; moves the current cell to row 1

    int row() const;           // the current row, never 0 while there are line rows
    void setRow(int row);      // moves the current cell there and collapses the selection
    int rowSel() const;        // the row at the far end of the selection
    int colSel() const;        // the column at the far end of the selection
    int topRow() const;        // the first line row shown below the header
    void setTopRow(int row);   // past the last scroll position: scrolled to the end

    QString cellAt(int index) const;
    void setCellAt(int index, const QString& text);
    // Fills the cells from `firstIndex` on with `texts`, in linear index order, as
    // setCellAt would one by one, but with one change notification for all.
    void setCellsAt(int firstIndex, QStringList texts);

    void setColWidth(int column, int twips);
    // "<Time Tag|<歌詞": header texts separated by '|'; a leading '<' aligns the
    // column left, '^' centres it, '>' aligns it right.
    void setHeaderFormat(const QString& format);
    void clear();              // empties every cell, the header cells included
    // The two display settings of the start-up shaping: 0 draws no focus rectangle
    // around the current cell; 1 keeps the selection highlighted without the focus.
    void setFocusRect(int style);
    void setHighLight(int mode);
    // While timing word by word, the segment the next "Time Input" times is marked in
    // line StampRow's text cell.
    void setSegmentMarksShown(bool shown);
    std::optional<ShownRange> markedSegment() const;  // none while marks are not shown

signals:
    // A mouse click on a cell or on the header row.
    void sheetClicked();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUp();
    void fitRowHeightToFont();
    void showReplacedContent();
    // The document's current row as the view's current cell (a stamp scrolls on).
    void showCursor(CursorChange why);

    LyricsDocument* m_document;
    LyricsSheetModel* m_model;
    SheetCellDelegate* m_delegate = nullptr;
    int m_markedLine = 0;  // the line whose segment is marked, while marks are shown
    bool m_replacing = false;  // between a load's start and its rows shown
};

// The text of the cell at (row, column), through the linear index.
QString CellText(const LyricsSheet& sheet, int row, int column);
// The linear index of the tag cell of a 0-based line; its text cell is the next index.
int LineTagIndex(const LyricsSheet& sheet, int line);

}  // namespace lyricue
