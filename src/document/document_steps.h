#pragma once

#include "document/lyrics_document.h"

#include <QUndoCommand>

namespace lyricue {

// The undo steps of the lyrics document; only the document makes them.

// A step that may move the cursor: undo restores the cursor before it, and every
// redo but the first (the caller moved it then) the cursor after it.
class CursorStep : public QUndoCommand {
public:
    CursorStep(LyricsDocument& document, const QString& text, std::optional<CursorMove> cursor,
               QUndoCommand* parent = nullptr);
    void undo() override;
    void redo() override;

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    LyricsDocument& m_document;

private:
    std::optional<CursorMove> m_cursor;
    bool m_done = false;
};

// A line's tag and text set at once: a stamp, a moved marker, a timed segment.
class SetLineStep : public CursorStep {
public:
    SetLineStep(LyricsDocument& document, int line, LyricLine after, const QString& text,
                std::optional<CursorMove> cursor);

protected:
    void apply() override;
    void revert() override;

private:
    int m_line;
    LyricLine m_before;
    LyricLine m_after;
};

// One edit on one cell; the next keystroke of the same edit merges into it.
class EditCellStep : public QUndoCommand {
public:
    EditCellStep(LyricsDocument& document, int line, int column, QString text);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;
    void undo() override;
    void redo() override;

private:
    LyricsDocument& m_document;
    int m_line;
    int m_column;
    int m_session;
    QString m_before;
    QString m_after;
    bool m_done = false;
};

// An empty line inserted, or a line removed: each the other's undo. LineCount
// follows when the line lies within it.
class LineStep : public CursorStep {
public:
    enum Kind { Insert, Remove };
    LineStep(LyricsDocument& document, Kind kind, int line, const CursorMove& cursor);

protected:
    void apply() override { m_kind == Insert ? add() : take(); }
    void revert() override { m_kind == Insert ? take() : add(); }

private:
    void add();
    void take();

    Kind m_kind;
    int m_line;
    bool m_countsLine;
    LyricLine m_taken;  // the removed line while it is out
};

// Swaps the whole content: redo and undo are the same exchange.
class ReplaceContentStep : public QUndoCommand {
public:
    ReplaceContentStep(LyricsDocument& document, LyricsContent content, QUndoCommand* parent);
    void undo() override;
    void redo() override;

private:
    LyricsDocument& m_document;
    LyricsContent m_other;
};

}  // namespace lyricue
