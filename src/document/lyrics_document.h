#pragma once

#include "text/ansi_text.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QUndoCommand;

namespace lyricue {

// The most lines the lyrics hold: line counts and the row count (lines + 1) are 16-bit signed.
constexpr int MaxLyricLines = 32766;

// One lyric line: its time tag (empty when it has none) and its text.
struct LyricLine {
    QString tag;
    QString text;
    bool operator==(const LyricLine&) const = default;
};

// Everything a load replaces at once.
struct LyricsContent {
    std::vector<LyricLine> lines;  // the line rows shown
    std::int16_t lineCount = 0;    // LineCount: the lines 0 .. lineCount - 1 that a save writes
    QString sourcePath;            // the file the lines were loaded from; empty when none
    QString savedPath;             // the file they were last saved to; empty when none
    TextEncoding encoding = TextEncoding::Cp932;  // the loaded file's, which saves keep
    QStringList lrcHeaders;        // header lines of an imported LRC file, for its export
};

// Where stamping stands: StampRow and the sheet's current row.
struct StampCursor {
    int stampRow = 0;
    int row = 1;
};

// The cursor before and after a change, so that undo and redo can put it back.
struct CursorMove {
    StampCursor before;
    StampCursor after;
};

// The lyrics being timed: the lines with their tags and texts, the header texts,
// LineCount, the file they came from and its encoding, and the history of every
// change to the lines. Cells are addressed as the sheet addresses them: row 0 is
// the header, line n is row n + 1, column 0 the tag and column 1 the text, and
// one linear index row * cols() + column.
//
// Plain setters (setRows, setCellAt, ...) change the lines without history; the
// operations under "Undoable" push one step each onto undoStack().
class LyricsDocument : public QObject {
    Q_OBJECT
public:
    explicit LyricsDocument(QObject* parent = nullptr);
    ~LyricsDocument() override;

    int rows() const { return lineRows() + 1; }  // the header row included
    static constexpr int cols() { return 2; }
    int lineRows() const { return static_cast<int>(m_content.lines.size()); }
    QString cellAt(int index) const;
    const LyricLine& line(int line) const { return m_content.lines[static_cast<std::size_t>(line)]; }

    void setRows(int rows);  // at least 1; new rows are empty
    void setCellAt(int index, const QString& text);
    // Cells from `firstIndex` on take `texts` in linear order, with one notification;
    // texts past the last cell are dropped.
    void setCellsAt(int firstIndex, QStringList texts);
    void clear();  // empties every cell, the header cells included

    // Everything a load replaces, as it stands.
    const LyricsContent& content() const { return m_content; }
    std::int16_t lineCount() const { return m_content.lineCount; }
    void setLineCount(std::int16_t count) { m_content.lineCount = count; }
    const QString& sourcePath() const { return m_content.sourcePath; }
    void setSourcePath(const QString& path) { m_content.sourcePath = path; }
    const QString& savedPath() const { return m_content.savedPath; }
    // The lines were just written to `path`: as they stand they are saved (the
    // history's clean state) until the next change.
    void setSavedPath(const QString& path)
    {
        m_content.savedPath = path;
        m_undoStack.setClean();
    }
    TextEncoding encoding() const { return m_content.encoding; }
    void setEncoding(TextEncoding encoding) { m_content.encoding = encoding; }
    const QStringList& lrcHeaders() const { return m_content.lrcHeaders; }
    void setLrcHeaders(const QStringList& headers) { m_content.lrcHeaders = headers; }

    // Undoable.
    QUndoStack& undoStack() { return m_undoStack; }
    // The tag of one line, as one step. With a cursor move, undo and redo put the
    // cursor back through cursorRestored (the caller has moved it already).
    void setTag(int line, const QString& tag, const QString& actionText = QStringLiteral("タグの変更"),
                std::optional<CursorMove> cursor = std::nullopt);
    // A cell typed into: the keystrokes of one edit on one cell make one step. An
    // edit ends when beginCellEdit is called, another change is made or one is undone.
    void editCell(int line, int column, const QString& text);
    void beginCellEdit() { ++m_editSession; }
    // An empty line before `line` (lineRows() for after the last); LineCount grows
    // when the line lies within it. Refused (false) at MaxLyricLines.
    bool insertLine(int line, const CursorMove& cursor);
    // Removes a line; LineCount shrinks when the line lay within it. Refused (false)
    // for the only line row.
    bool removeLine(int line, const CursorMove& cursor);
    // A step, as a child of `step`, that replaces the whole content (a load). The
    // caller adds its own children and pushes `step`.
    void addReplaceStep(LyricsContent content, QUndoCommand* step);

    // Without history: the steps call these.
    void swapContent(LyricsContent& content);
    LyricLine takeLine(int line);
    void putLine(int line, LyricLine content);
    void writeCell(int line, int column, const QString& text);
    int editSession() const { return m_editSession; }

signals:
    void headerChanged();
    void linesChanged(int firstLine, int lastLine);
    void linesAboutToBeInserted(int firstLine, int lastLine);
    void linesInserted();
    void linesAboutToBeRemoved(int firstLine, int lastLine);
    void linesRemoved();
    void contentAboutToBeReplaced();
    void contentReplaced();
    // Undo or redo of a step that moved the cursor: StampRow and the current row go here.
    void cursorRestored(int stampRow, int row);

private:
    QString& cellRef(int index);

    std::array<QString, 2> m_header;
    LyricsContent m_content;
    QUndoStack m_undoStack;
    int m_editSession = 0;
};

// The text of the cell at (row, column), through the linear index.
QString CellText(const LyricsDocument& document, int row, int column);
// The linear index of the tag cell of a 0-based line; its text cell is the next index.
int LineTagIndex(const LyricsDocument& document, int line);

}  // namespace lyricue
