#include "document/lyrics_document.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <functional>

namespace {

using Lines = std::vector<LyricLine>;

// Three tagged lines, LineCount 3, no history.
void fill(LyricsDocument& document)
{
    document.setRows(4);
    document.setCellsAt(LineTagIndex(document, 0), {QStringLiteral("[00:01:00]"), QStringLiteral("一"),
                                                    QStringLiteral("[00:02:00]"), QStringLiteral("二"),
                                                    QStringLiteral("[00:03:00]"), QStringLiteral("三")});
    document.setLineCount(3);
}

Lines linesOf(const LyricsDocument& document)
{
    Lines lines;
    for (int line = 0; line < document.lineRows(); ++line)
        lines.push_back(document.line(line));
    return lines;
}

struct Change {
    const char* name;
    std::function<void(LyricsDocument&)> make;
    Lines after;
    int lineCountAfter;
};

const CursorMove kCursor{{0, 1}, {1, 2}};
const LyricLine kOne{QStringLiteral("[00:01:00]"), QStringLiteral("一")};
const LyricLine kTwo{QStringLiteral("[00:02:00]"), QStringLiteral("二")};
const LyricLine kThree{QStringLiteral("[00:03:00]"), QStringLiteral("三")};

class DocumentChange : public ::testing::TestWithParam<Change> {};

TEST_P(DocumentChange, IsOneStepThatUndoAndRedoTakeBackAndForth)
{
    LyricsDocument document;
    fill(document);
    const Lines before = linesOf(document);
    GetParam().make(document);
    EXPECT_EQ(document.undoStack().count(), 1);
    EXPECT_EQ(linesOf(document), GetParam().after);
    EXPECT_EQ(document.lineCount(), GetParam().lineCountAfter);

    document.undoStack().undo();
    EXPECT_EQ(linesOf(document), before);
    EXPECT_EQ(document.lineCount(), 3);
    document.undoStack().redo();
    EXPECT_EQ(linesOf(document), GetParam().after);
    EXPECT_EQ(document.lineCount(), GetParam().lineCountAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DocumentChange,
    ::testing::Values(
        Change{"SetTag", [](LyricsDocument& d) { d.setTag(1, QStringLiteral("[00:02:50]")); },
               {kOne, {QStringLiteral("[00:02:50]"), QStringLiteral("二")}, kThree}, 3},
        Change{"TypedEdit",
               [](LyricsDocument& d) {
                   d.beginCellEdit();
                   for (const char* typed : {"三a", "三ab", "三abc"})
                       d.editCell(2, 1, QString::fromUtf8(typed));
               },
               {kOne, kTwo, {kThree.tag, QStringLiteral("三abc")}}, 3},
        Change{"InsertFirst", [](LyricsDocument& d) { ASSERT_TRUE(d.insertLine(0, kCursor)); },
               {{}, kOne, kTwo, kThree}, 4},
        Change{"InsertAtLast", [](LyricsDocument& d) { ASSERT_TRUE(d.insertLine(2, kCursor)); },
               {kOne, kTwo, {}, kThree}, 4},
        Change{"DeleteFirst", [](LyricsDocument& d) { ASSERT_TRUE(d.removeLine(0, kCursor)); }, {kTwo, kThree}, 2},
        Change{"DeleteLast", [](LyricsDocument& d) { ASSERT_TRUE(d.removeLine(2, kCursor)); }, {kOne, kTwo}, 2},
        Change{"Replace",
               [](LyricsDocument& d) {
                   LyricsContent content;
                   content.lines = {kThree};
                   content.lineCount = 1;
                   auto* step = new QUndoCommand(QStringLiteral("load"));
                   d.addReplaceStep(std::move(content), step);
                   d.undoStack().push(step);
               },
               {kThree}, 1}),
    [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

TEST(DocumentEdits, OneEditPerClickAndNoneThatEndsWhereItBegan)
{
    LyricsDocument document;
    fill(document);
    document.beginCellEdit();
    document.editCell(0, 1, QStringLiteral("一x"));
    document.editCell(0, 1, QStringLiteral("一xy"));
    document.editCell(1, 1, QStringLiteral("二x"));  // another cell: another step
    EXPECT_EQ(document.undoStack().count(), 2);
    document.beginCellEdit();
    document.editCell(1, 1, QStringLiteral("二xy"));  // a new edit of the same cell
    EXPECT_EQ(document.undoStack().count(), 3);

    document.undoStack().undo();
    document.editCell(1, 1, QStringLiteral("二xz"));  // after an undo: not merged into the older step
    EXPECT_EQ(document.undoStack().count(), 3);
    document.undoStack().undo();
    EXPECT_EQ(document.line(1).text, QStringLiteral("二x"));

    LyricsDocument typedBack;
    fill(typedBack);
    typedBack.editCell(2, 0, QStringLiteral("[00:03:0"));
    typedBack.editCell(2, 0, QStringLiteral("[00:03:00]"));
    EXPECT_EQ(typedBack.undoStack().count(), 0);
}

TEST(DocumentLimits, InsertStopsAtTheLineLimitAndDeleteKeepsOneLine)
{
    LyricsDocument document;
    document.setRows(MaxLyricLines + 1);
    document.setLineCount(MaxLyricLines);
    EXPECT_FALSE(document.insertLine(0, kCursor));
    EXPECT_TRUE(document.removeLine(MaxLyricLines - 1, kCursor));
    EXPECT_TRUE(document.insertLine(0, kCursor));
    EXPECT_EQ(document.lineRows(), MaxLyricLines);

    LyricsDocument single;
    single.setRows(2);
    EXPECT_FALSE(single.removeLine(0, kCursor));
    EXPECT_EQ(single.lineRows(), 1);
    EXPECT_EQ(single.undoStack().count(), 0);
}

TEST(DocumentCursor, UndoRestoresTheCursorBeforeAndRedoTheOneAfter)
{
    LyricsDocument document;
    fill(document);
    QSignalSpy restored(&document, &LyricsDocument::cursorRestored);
    document.setTag(0, QStringLiteral("[00:00:50]"), QStringLiteral("Time Input"), CursorMove{{0, 1}, {1, 2}});
    EXPECT_EQ(restored.count(), 0);  // the stamp moved the cursor itself
    document.undoStack().undo();
    document.undoStack().redo();
    ASSERT_EQ(restored.count(), 2);
    EXPECT_EQ(restored[0], (QList<QVariant>{0, 1}));
    EXPECT_EQ(restored[1], (QList<QVariant>{1, 2}));
    EXPECT_EQ(document.undoStack().undoText(), QStringLiteral("Time Input"));
}

}  // namespace
