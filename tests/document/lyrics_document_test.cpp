#include "document/lyrics_document.h"

#include <QSignalSpy>

#include <functional>

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

// The session's operations over a document of four lines, each one step: what it
// changes, where the stamp cursor goes, and undo and redo putting both back.
struct SessionCase {
    const char* name;
    StampCursor cursor;
    std::function<Result(LyricsDocument&)> operation;
    QStringList tagsAfter;  // of every line row
    StampCursor cursorAfter;
    QString refusal;  // empty when the operation is done
};

class SessionOperations : public ::testing::TestWithParam<SessionCase> {};

QStringList tagsOf(const LyricsDocument& document)
{
    QStringList tags;
    for (int line = 0; line < document.lineRows(); ++line)
        tags << document.line(line).tag;
    return tags;
}

TEST_P(SessionOperations, ChangeLinesAndCursorAsOneStep)
{
    const SessionCase& c = GetParam();
    LyricsDocument document;
    document.setRows(5);
    document.setLineCount(4);
    const QStringList tagsBefore{QStringLiteral("[00:01:00]"), QStringLiteral("[00:00:05]"), QString(),
                                 QStringLiteral("[00:03:00]")};
    for (int line = 0; line < 4; ++line)
        document.setCellAt(LineTagIndex(document, line), tagsBefore[line]);
    document.setCursor(c.cursor);

    const Result result = c.operation(document);

    EXPECT_EQ(result.errorString(), c.refusal);
    EXPECT_EQ(tagsOf(document), c.tagsAfter);
    EXPECT_EQ(document.cursor(), c.cursorAfter);
    EXPECT_EQ(document.undoStack().count(), c.refusal.isEmpty() && c.tagsAfter != tagsBefore ? 1 : 0);
    document.undoStack().undo();
    EXPECT_EQ(tagsOf(document), tagsBefore);
    EXPECT_EQ(document.cursor(), c.cursor);
    document.undoStack().redo();
    EXPECT_EQ(tagsOf(document), c.tagsAfter);
    EXPECT_EQ(document.cursor(), c.cursorAfter);
}

const QString t1 = QStringLiteral("[00:01:00]");
const QString t2 = QStringLiteral("[00:00:05]");
const QString t4 = QStringLiteral("[00:03:00]");

Result nudge(LyricsDocument& document, int ms)
{
    document.nudgeCurrentTag(ms);
    return Result();
}

INSTANTIATE_TEST_SUITE_P(
    Session, SessionOperations,
    ::testing::Values(
        SessionCase{"StampFillsStampRowAndSteps", {2, 3},
                    [](LyricsDocument& d) { return d.stamp(QStringLiteral("[00:02:50]")); },
                    {t1, t2, QStringLiteral("[00:02:50]"), t4}, {3, 4}, {}},
        SessionCase{"SpaceEmptiesTheTagAndSteps", {0, 1}, [](LyricsDocument& d) { return d.stamp(QString()); },
                    {QString(), t2, QString(), t4}, {1, 2}, {}},
        SessionCase{"StampOnTheLastRowRewritesAndStays", {3, 4},
                    [](LyricsDocument& d) { return d.stamp(QStringLiteral("[00:09:00]")); },
                    {t1, t2, QString(), QStringLiteral("[00:09:00]")}, {3, 4}, {}},
        SessionCase{"StampPastTheLinesIsRefused", {4, 4}, [](LyricsDocument& d) { return d.stamp(t1); },
                    {t1, t2, QString(), t4}, {4, 4}, QStringLiteral("Error Rows!!")},
        SessionCase{"NudgeMovesTheCurrentRowsTag", {0, 4}, [](LyricsDocument& d) { return nudge(d, 100); },
                    {t1, t2, QString(), QStringLiteral("[00:03:10]")}, {0, 4}, {}},
        SessionCase{"NudgeStopsAtZero", {0, 2}, [](LyricsDocument& d) { return nudge(d, -100); },
                    {t1, QStringLiteral("[00:00:00]"), QString(), t4}, {0, 2}, {}},
        SessionCase{"NudgeLeavesAnUntimedLineAlone", {0, 3}, [](LyricsDocument& d) { return nudge(d, 10); },
                    {t1, t2, QString(), t4}, {0, 3}, {}},
        SessionCase{"InsertAboveStampRowMovesItDown", {2, 2}, [](LyricsDocument& d) { return d.insertLineAtCursor(); },
                    {t1, QString(), t2, QString(), t4}, {3, 2}, {}},
        SessionCase{"InsertBelowStampRowKeepsIt", {0, 3}, [](LyricsDocument& d) { return d.insertLineAtCursor(); },
                    {t1, t2, QString(), QString(), t4}, {0, 3}, {}},
        SessionCase{"DeleteOnStampRowNamesTheNextLine", {1, 2},
                    [](LyricsDocument& d) { return d.deleteLineAtCursor(); }, {t1, QString(), t4}, {1, 2}, {}},
        SessionCase{"DeleteTheLastRowMovesUp", {3, 4}, [](LyricsDocument& d) { return d.deleteLineAtCursor(); },
                    {t1, t2, QString()}, {2, 3}, {}},
        SessionCase{"MarkerMovedBelowZeroStopsAtZero", {0, 1},
                    [](LyricsDocument& d) {
                        d.moveTag(3, -5);
                        return Result();
                    },
                    {t1, t2, QString(), QStringLiteral("[00:00:00]")}, {0, 1}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentSession, TheOnlyLineIsNotDeletedAndTheFullSheetTakesNoLine)
{
    LyricsDocument one;
    one.setRows(2);
    EXPECT_EQ(one.deleteLineAtCursor().errorString(), QStringLiteral("最後の 1 行は削除できません"));
    EXPECT_EQ(one.lineRows(), 1);

    LyricsDocument full;
    full.setRows(MaxLyricLines + 1);
    EXPECT_FALSE(full.insertLineAtCursor().ok());
    EXPECT_EQ(full.lineRows(), MaxLyricLines);
    EXPECT_EQ(full.undoStack().count(), 0);
}

// A load brings its own cursor and LyricsPath; undoing it puts back the ones before,
// and a stamp says it moved the cursor so that the sheet scrolls on.
TEST(DocumentSession, ALoadCarriesTheCursorAndLyricsPathBackAndForth)
{
    LyricsDocument document;
    document.setRows(10);
    document.setLyricsPath(QStringLiteral("/lyrics/old.txt"));
    document.setCursor({4, 6});
    LyricsContent loaded;
    loaded.lines = {{t1, QStringLiteral("a")}, {QString(), QStringLiteral("b")}};
    loaded.lineCount = 2;
    loaded.lyricsPath = QStringLiteral("/lyrics/new.txt");
    QSignalSpy cursorMoves(&document, &LyricsDocument::cursorChanged);

    document.load(loaded, QStringLiteral("歌詞の読込"));
    EXPECT_EQ(document.cursor(), (StampCursor{0, 1}));
    EXPECT_EQ(document.LyricsPath(), QStringLiteral("/lyrics/new.txt"));
    ASSERT_TRUE(document.stamp(QStringLiteral("[00:02:00]")).ok());
    ASSERT_EQ(cursorMoves.count(), 1);
    EXPECT_EQ(cursorMoves.takeFirst().at(0).value<CursorChange>(), CursorChange::Stamped);

    document.undoStack().undo();
    EXPECT_EQ(cursorMoves.takeFirst().at(0).value<CursorChange>(), CursorChange::Restored);
    document.undoStack().undo();
    EXPECT_EQ(document.cursor(), (StampCursor{4, 6}));
    EXPECT_EQ(document.LyricsPath(), QStringLiteral("/lyrics/old.txt"));
    EXPECT_EQ(document.lineRows(), 9);
}

}  // namespace

}  // namespace lyricue
