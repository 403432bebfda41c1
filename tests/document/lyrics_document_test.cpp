#include "document/lyrics_document.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

// The keystrokes of one edit on one cell are one step; a click (beginCellEdit),
// another cell or an undo starts the next one.
TEST(DocumentEdits, OneStepPerEditOfOneCell)
{
    LyricsDocument document;
    document.setRows(3);
    document.beginCellEdit();
    document.editCell(0, 1, QStringLiteral("a"));
    document.editCell(0, 1, QStringLiteral("ab"));
    document.editCell(1, 1, QStringLiteral("x"));
    EXPECT_EQ(document.undoStack().count(), 2);
    document.beginCellEdit();
    document.editCell(1, 1, QStringLiteral("xy"));
    EXPECT_EQ(document.undoStack().count(), 3);

    document.undoStack().undo();
    document.editCell(1, 1, QStringLiteral("xz"));  // not merged into the older step
    document.undoStack().undo();
    EXPECT_EQ(document.line(1).text, QStringLiteral("x"));
    document.undoStack().undo();
    document.undoStack().undo();
    EXPECT_EQ(document.line(0).text, QString());

    // An edit typed back to where it began leaves no step.
    LyricsDocument typedBack;
    typedBack.setRows(2);
    typedBack.editCell(0, 0, QStringLiteral("["));
    typedBack.editCell(0, 0, QString());
    EXPECT_EQ(typedBack.undoStack().count(), 0);
}

}  // namespace

}  // namespace lyricue
