#include "shell/command_keys.h"
#include "support/test_files.h"
#include "document/lyrics_document.h"
#include "shell/window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>

namespace lyricue {

namespace {

// What undo and redo must take back and forth: the cells, LineCount, the cursor and the file.
struct Snapshot {
    QStringList cells;
    int lineCount = 0;
    int row = 0;
    int stampRow = 0;
    QString lyricsPath;
    bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& shot, std::ostream* out)
{
    *out << shot.cells.join(u'|').toStdString() << " lines " << shot.lineCount << " row " << shot.row << " stamp "
         << shot.stampRow << ' ' << shot.lyricsPath.toStdString();
}

// The "編集" menu through the real window; lines 0 to 3 tagged [00:01:00] to [00:04:00].
class EditMenuTest : public WindowTest {
public:
    using WindowTest::clickToolbar;
    using WindowTest::control;
    using WindowTest::engine;

    void SetUp() override
    {
        window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
        showActive();
        for (int line = 0; line < 4; ++line)
            sheet().setCellAt(LineTagIndex(sheet(), line), QStringLiteral("[00:0%1:00]").arg(line + 1));
    }

    // A shortcut as the user presses it, with the keyboard focus on the sheet.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        sheet().setFocus();
        QTest::keyClick(window().windowHandle(), key, modifiers);
    }
    void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
    void insertLine() { press(Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier); }
    void deleteLine() { press(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier); }
    void pressButton(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    QString tag(int line) { return sheet().cellAt(LineTagIndex(sheet(), line)); }

    Snapshot snapshot()
    {
        Snapshot shot{{}, sheet().document().LineCount(), sheet().row(), window().document().StampRow(), window().document().LyricsPath()};
        for (int index = 0; index < sheet().rows() * sheet().cols(); ++index)
            shot.cells << sheet().cellAt(index);
        return shot;
    }

    void loadLyrics(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("other.txt"));
        writeTestFile(path, bytes);
        prompts.queueOpenAccept(path);
        clickToolbar(CommandKey::LoadLyrics);
    }

    QTemporaryDir dir;
};

class UndoRedo;
struct ChangeCase {
    const char* name;
    std::function<void(UndoRedo&)> change;
};
class UndoRedo : public EditMenuTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(UndoRedo, UndoBringsBackWhatWasBeforeAndRedoWhatWasAfter)
{
    sheet().setRow(2);
    window().document().setStampRow(1);
    const Snapshot before = snapshot();
    GetParam().change(*this);
    const Snapshot after = snapshot();
    ASSERT_NE(after, before);
    const std::int32_t engineState = engine.state();

    undo();
    EXPECT_EQ(snapshot(), before);
    press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(snapshot(), after);
    undo();
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(snapshot(), after);
    // Undo and redo leave the music as it was.
    EXPECT_EQ(engine.state(), engineState);
    EXPECT_EQ(playTimer().isActive(), engineState == EnginePlaying);
}

INSTANTIATE_TEST_SUITE_P(
    EachChange, UndoRedo,
    ::testing::Values(ChangeCase{"StampWhilePlaying",
                                 [](UndoRedo& t) {
                                     t.clickToolbar(CommandKey::Play);
                                     t.engine.setPlayMs(12340);
                                     t.pressButton("Cmd_TimeIn");
                                 }},
                      ChangeCase{"SpaceWhilePaused",
                                 [](UndoRedo& t) {
                                     t.clickToolbar(CommandKey::Play);
                                     t.clickToolbar(CommandKey::Pause);
                                     t.pressButton("Command1");
                                 }},
                      ChangeCase{"TypedCorrection",
                                 [](UndoRedo& t) { QTest::keyClicks(t.control<QLineEdit>("Grid_Txt"), QStringLiteral("abc")); }},
                      ChangeCase{"Nudge", [](UndoRedo& t) { t.press(Qt::Key_Right, Qt::AltModifier); }},
                      ChangeCase{"InsertLine", [](UndoRedo& t) { t.insertLine(); }},
                      ChangeCase{"DeleteLineWhilePlaying",
                                 [](UndoRedo& t) {
                                     t.clickToolbar(CommandKey::Play);
                                     t.deleteLine();
                                 }},
                      ChangeCase{"LoadLyrics", [](UndoRedo& t) { t.loadLyrics("[00:09:00]other\r\nsecond\r\n"); }}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

struct NudgeCase {
    const char* tag;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* moved;
};
class Nudge : public EditMenuTest, public ::testing::WithParamInterface<NudgeCase> {};

TEST_P(Nudge, MovesTheCurrentRowsTagAndStopsAtZero)
{
    sheet().setCellAt(LineTagIndex(sheet(), 2), QLatin1String(GetParam().tag));
    sheet().setRow(3);
    press(GetParam().key, GetParam().modifiers);
    EXPECT_EQ(tag(2), QLatin1String(GetParam().moved));
    EXPECT_EQ(tag(1), QStringLiteral("[00:02:00]"));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, Nudge,
    ::testing::Values(NudgeCase{"[00:05:00]", Qt::Key_Right, Qt::AltModifier, "[00:05:01]"},
                      NudgeCase{"[00:05:00]", Qt::Key_Left, Qt::AltModifier, "[00:04:99]"},
                      NudgeCase{"[00:59:95]", Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier, "[01:00:05]"},
                      NudgeCase{"[00:00:05]", Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier, "[00:00:00]"},
                      NudgeCase{"[00:00:00]", Qt::Key_Left, Qt::AltModifier, "[00:00:00]"},
                      NudgeCase{"[01:02.345]", Qt::Key_Left, Qt::AltModifier, "[01:02:33]"},
                      NudgeCase{"", Qt::Key_Right, Qt::AltModifier, ""},
                      NudgeCase{"[Intro]", Qt::Key_Right, Qt::AltModifier, "[Intro]"}));

struct ReplayCase {
    std::int32_t engineState;
    const char* tag;
    std::vector<std::string> calls;
    bool startsPlayClock;
};
class Replay : public EditMenuTest, public ::testing::WithParamInterface<ReplayCase> {};

TEST_P(Replay, PlaysFromTwoSecondsBeforeTheTagAndLeavesStampRow)
{
    engine.setState(GetParam().engineState);
    sheet().setCellAt(LineTagIndex(sheet(), 4), QLatin1String(GetParam().tag));
    sheet().setRow(5);
    window().document().setStampRow(2);
    engine.clearLog();
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(engine.callTexts(), GetParam().calls);
    EXPECT_EQ(window().document().StampRow(), 2);
    EXPECT_EQ(sheet().row(), 5);
    EXPECT_EQ(playTimer().isActive(), GetParam().startsPlayClock);
}

INSTANTIATE_TEST_SUITE_P(
    FromEachState, Replay,
    ::testing::Values(
        ReplayCase{EngineStopped, "[00:12:50]", {"vbmp3_getState()", "vbmp3_seek(10)", "vbmp3_play()"}, true},
        ReplayCase{EnginePaused, "[01:00:00]", {"vbmp3_getState()", "vbmp3_seek(58)", "vbmp3_restart()"}, true},
        ReplayCase{EnginePlaying, "[00:01:50]", {"vbmp3_getState()", "vbmp3_seek(0)"}, false},
        ReplayCase{EngineStopped, "", {}, false}));

TEST_F(EditMenuTest, InsertAndDeleteAtTheFirstAndLastLinesKeepStampRowOnItsLine)
{
    sheet().setRow(1);
    window().document().setStampRow(2);
    insertLine();  // above the first line
    EXPECT_EQ(sheet().document().LineCount(), 15);
    EXPECT_EQ(tag(0), QString());
    EXPECT_EQ(sheet().row(), 1);
    EXPECT_EQ(tag(window().document().StampRow()), QStringLiteral("[00:03:00]"));
    deleteLine();  // the first line again
    EXPECT_EQ(tag(0), QStringLiteral("[00:01:00]"));
    EXPECT_EQ(window().document().StampRow(), 2);

    sheet().setRow(14);
    window().document().setStampRow(13);
    deleteLine();  // the last line: StampRow and the current row step back onto the new last line
    EXPECT_EQ(sheet().rows(), 14);
    EXPECT_EQ(sheet().document().LineCount(), 13);
    EXPECT_EQ(sheet().row(), 13);
    EXPECT_EQ(window().document().StampRow(), 12);

    // The keys reach the menu while an edit box has the focus, too.
    control<QLineEdit>("Grid_Txt")->setFocus();
    QTest::keyClick(window().windowHandle(), Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet().rows(), 15);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(EditMenuTest, InsertIsRefusedAtTheLineLimitAndDeleteKeepsTheLastLine)
{
    sheet().setRows(MaxLyricLines + 1);
    insertLine();
    EXPECT_EQ(sheet().rows(), MaxLyricLines + 1);
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("行を挿入できません: 歌詞は 32766 行までです")});

    sheet().setRows(2);
    deleteLine();
    EXPECT_EQ(sheet().rows(), 2);
    EXPECT_EQ(prompts.messages().size(), 2);
    EXPECT_FALSE(window().findChild<QAction*>(QStringLiteral("undo"))->isEnabled());
}

}  // namespace

}  // namespace lyricue
