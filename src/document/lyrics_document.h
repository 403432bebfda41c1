#pragma once

#include "base/result.h"
#include "text/ansi_text.h"
#include "text/lyric_segments.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include <array>
#include <cstdint>
#include <functional>
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

// Where stamping stands: StampRow, the line the next stamp goes to, the current row
// (a sheet row: line n is row n + 1), and, when timing word by word, the segment of
// line StampRow that the next stamp times (0: the line's own tag).
struct StampCursor {
    int stampRow = 0;
    int row = 1;
    int segment = 0;
    bool operator==(const StampCursor&) const = default;
};

// One segment of one line.
struct SegmentRef {
    int line = -1;
    int segment = 0;
    bool operator==(const SegmentRef&) const = default;
};

// Everything a load replaces at once, and its undo puts back.
struct LyricsContent {
    std::vector<LyricLine> lines;  // the line rows shown
    std::int16_t lineCount = 0;    // LineCount: the lines 0 .. lineCount - 1 that a save writes
    QString sourcePath;            // the file the lines were loaded from; empty when none
    QString savedPath;             // the file they were last saved to; empty when none
    TextEncoding encoding = TextEncoding::Cp932;  // the loaded file's, which saves keep
    QStringList lrcHeaders;        // header lines of an imported LRC file, for its export
    QString lyricsPath;            // LyricsPath: where "再読込" saves; empty when there is none
    QString engineLyricsPath;      // the lyrics file last handed to the engine (the five lines')
    StampCursor cursor;
};

// Why the stamp cursor moved: a stamp steps it on, undo and redo put it back, anything
// else (a click, a key, an edit command) moves it.
enum class CursorChange { Moved, Stamped, Restored };

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
// It also holds where stamping stands (StampRow and the current row), LyricsPath and
// the track the lines are timed to: the views show the document and the commands
// change it, so that each piece of the session has this one owner.
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
    std::int16_t LineCount() const { return m_content.lineCount; }
    void setLineCount(std::int16_t count) { m_content.lineCount = count; }
    const QString& LyricsPath() const { return m_content.lyricsPath; }
    void setLyricsPath(const QString& path) { m_content.lyricsPath = path; }
    const QString& engineLyricsPath() const { return m_content.engineLyricsPath; }
    void setEngineLyricsPath(const QString& path) { m_content.engineLyricsPath = path; }
    // The music file last opened with "読込", for the LRC export's name and headers.
    const QString& trackPath() const { return m_trackPath; }
    void setTrackPath(const QString& path) { m_trackPath = path; }

    // The stamp cursor. The current row stays within the line rows (1 .. lineRows()).
    const StampCursor& cursor() const { return m_content.cursor; }
    int StampRow() const { return m_content.cursor.stampRow; }
    int row() const { return m_content.cursor.row; }
    void setStampRow(int stampRow);
    void setRow(int row);
    void setCursor(StampCursor cursor, CursorChange why = CursorChange::Moved);
    // The time of a line's tag in ms, when the tag is one.
    std::optional<qint64> tagMs(int line) const;
    // The line's text cut into its segments (lyric_segments.h).
    SegmentedText segments(int line) const;
    // The time of one segment: the line's tag for the first, its time tag for the others.
    std::optional<qint64> segmentMs(SegmentRef segment) const;
    // The segment last timed, moved or picked: the one the nudge moves when timing word by
    // word. Not part of the history; a load clears it.
    SegmentRef selectedSegment() const { return m_selectedSegment; }
    void selectSegment(SegmentRef segment) { m_selectedSegment = segment; }
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
    // A line's tag and text, as one step.
    void setLine(int line, LyricLine content, const QString& actionText, std::optional<CursorMove> cursor = std::nullopt);
    // A cell typed into: the keystrokes of one edit on one cell make one step. An
    // edit ends when beginCellEdit is called, another change is made or one is undone.
    void editCell(int line, int column, const QString& text);
    void beginCellEdit() { ++m_editSession; }
    // An empty line before `line` (lineRows() for after the last); LineCount grows
    // when the line lies within it. Refused at MaxLyricLines.
    Result insertLine(int line, const CursorMove& cursor);
    // Removes a line; LineCount shrinks when the line lay within it. Refused for the
    // only line row.
    Result removeLine(int line, const CursorMove& cursor);

    // One press of "Time Input" (a tag) or "Space" (an empty tag): `tag` goes into line
    // StampRow, and StampRow and the current row step on; on the last row the tag is
    // rewritten and nothing moves. Refused, changing nothing, when StampRow or the
    // current row lies outside the lines.
    Result stamp(const QString& tag);
    // The current row's tag moved by `ms` (never below 00:00:00); a line without a
    // time tag is left alone.
    void nudgeCurrentTag(int ms);
    // A line's tag set to "[mm:ss:xx]" for the time `hundredths` (0 at the least), as one
    // step: the one road by which the timeline's dragged marker changes a tag.
    void moveTag(int line, qint64 hundredths);

    // Timing word by word. One press of "Time Input": `tag` times the cursor's segment of
    // line StampRow (the first segment's time is the line's tag, the others' are written
    // before them in the text), and the cursor steps to the next segment, or to the next
    // line's first. Undo takes back one segment. Refused as stamp() refuses.
    Result stampSegment(const QString& tag);
    // "Space" while timing word by word: on a line's first segment it is stamp(""); later
    // in the line it passes the rest of the line untouched, as one step of the cursor.
    Result passSegments();
    // A segment's time set to `ms`, held between the times of its neighbours in the line
    // (never below 0), as one step; the segment becomes the selected one. A segment whose
    // neighbours leave it no room, or a line without it, is left alone.
    void moveSegment(SegmentRef segment, qint64 ms, const QString& actionText = QStringLiteral("マーカーの移動"));
    // The selected segment moved by `ms`, when it has a time.
    void nudgeSelectedSegment(int ms);
    // The line's boundaries the default split again: every "|" removed, inner tags kept.
    void restoreDefaultSplit(int line);
    // An empty line above the current row, which becomes the current row; StampRow keeps
    // to the lyric line it named.
    Result insertLineAtCursor();
    // The current row's line removed; StampRow keeps to its line, or names the next one.
    Result deleteLineAtCursor();
    // Replaces the whole content (a load, an import, a restore) as one step named
    // `actionText`; `alongside`, when given, adds the caller's own parts to the step.
    // A load keeps one earlier content to go back to, not every one ever loaded: the
    // history starts again from the content before it.
    void load(LyricsContent content, const QString& actionText,
              const std::function<void(QUndoCommand* step)>& alongside = {});

    // Without history: the steps call these.
    void swapContent(LyricsContent& content);
    LyricLine takeLine(int line);
    void putLine(int line, LyricLine content);
    void writeCell(int line, int column, const QString& text);
    void writeLine(int line, const LyricLine& content);
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
    // StampRow or the current row changed, and why (a stamp scrolls the sheet on).
    void cursorChanged(CursorChange why);

private:
    QString& cellRef(int index);

    std::array<QString, 2> m_header;
    LyricsContent m_content;
    QString m_trackPath;
    SegmentRef m_selectedSegment;
    QUndoStack m_undoStack;
    int m_editSession = 0;
};

// The text of the cell at (row, column), through the linear index.
QString CellText(const LyricsDocument& document, int row, int column);
// The linear index of the tag cell of a 0-based line; its text cell is the next index.
int LineTagIndex(const LyricsDocument& document, int line);

}  // namespace lyricue
