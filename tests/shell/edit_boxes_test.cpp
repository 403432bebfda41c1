// The two edit boxes above the sheet follow the line they show through every change to
// the lines, and the "編集" keys reach their commands wherever the keyboard focus is.
#include "shell/command_keys.h"
#include "support/test_files.h"
#include "shell/window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>

namespace lyricue {

namespace {

// Lines 0 to 13 hold "[00:0n:00]" and "line n".
class EditBoxesTest : public WindowTest {
public:
    using WindowTest::clickToolbar;
    using WindowTest::control;
    using WindowTest::engine;
    using WindowTest::prompts;
    using WindowTest::sheet;
    using WindowTest::window;

    void SetUp() override
    {
        window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
        showActive();
        for (int line = 0; line < 14; ++line) {
            sheet().setCellAt(LineTagIndex(sheet(), line), QStringLiteral("[00:%1:00]").arg(line, 2, 10, QChar(u'0')));
            sheet().setCellAt(LineTagIndex(sheet(), line) + 1, QStringLiteral("line %1").arg(line));
        }
    }

    void clickCell(int line, int column)
    {
        const QModelIndex index = sheet().model()->index(line, column);
        sheet().scrollTo(index);
        QTest::mouseClick(sheet().viewport(), Qt::LeftButton, {}, sheet().visualRect(index).center());
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(window().windowHandle(), key, modifiers); }
    QLineEdit& timeBox() { return *control<QLineEdit>("Time_Txt"); }
    QLineEdit& textBox() { return *control<QLineEdit>("Grid_Txt"); }
    QString cell(int line, int column) { return sheet().cellAt(LineTagIndex(sheet(), line) + column); }
    QStringList lines()
    {
        QStringList all;
        for (int line = 0; line < sheet().rows() - 1; ++line)
            all << cell(line, 0) + u'|' + cell(line, 1);
        return all;
    }

    QTemporaryDir dir;
};

struct FollowCase {
    const char* name;
    // A change to the lines made after the boxes were given line 4 (its text cell clicked).
    std::function<void(EditBoxesTest&)> change;
    int shownLine;  // the line the boxes show afterwards; -1: its line is gone
};

class BoxesFollow : public EditBoxesTest, public ::testing::WithParamInterface<FollowCase> {};

TEST_P(BoxesFollow, ShowTheirLineAndWriteOnlyIntoIt)
{
    clickCell(4, 1);
    GetParam().change(*this);
    const int shown = GetParam().shownLine;
    EXPECT_EQ(timeBox().text(), shown >= 0 ? cell(shown, 0) : QString());
    EXPECT_EQ(textBox().text(), shown >= 0 ? cell(shown, 1) : QString());

    QStringList expected = lines();
    if (shown >= 0)
        expected[shown] += u'x';
    textBox().setFocus();
    textBox().end(false);
    QTest::keyClick(&textBox(), Qt::Key_X);
    EXPECT_EQ(lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachChange, BoxesFollow,
    ::testing::Values(
        FollowCase{"Stamp",
                   [](EditBoxesTest& t) {
                       t.window().document().setStampRow(4);
                       t.engine.setPlayMs(83'450);
                       QTest::mouseClick(t.control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
                   },
                   4},
        FollowCase{"Nudge", [](EditBoxesTest& t) { t.key(Qt::Key_Right, Qt::AltModifier); }, 4},
        FollowCase{"LineInsertedAbove",
                   [](EditBoxesTest& t) { t.key(Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier); }, 5},
        FollowCase{"LineDeletedAbove",
                   [](EditBoxesTest& t) {
                       t.sheet().setRow(2);
                       t.key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
                   },
                   3},
        FollowCase{"ItsLineDeleted",
                   [](EditBoxesTest& t) { t.key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier); }, -1},
        FollowCase{"TypingUndone",
                   [](EditBoxesTest& t) {
                       QTest::keyClicks(&t.textBox(), QStringLiteral("abc"));
                       t.key(Qt::Key_Z, Qt::ControlModifier);
                   },
                   4},
        FollowCase{"Load",
                   [](EditBoxesTest& t) {
                       const QString path = t.dir.filePath(QStringLiteral("other.txt"));
                       writeTestFile(path, "[00:09:00]other\r\nsecond\r\n");
                       t.prompts.queueOpenAccept(path);
                       t.clickToolbar(CommandKey::LoadLyrics);
                   },
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

// Each "編集" key with the focus on each control the user can reach by mouse or Tab.
class KeysWhereTheFocusIs : public EditBoxesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(KeysWhereTheFocusIs, ReachTheirCommands)
{
    clickCell(2, 1);  // the current row is line 2's
    QGuiApplication::clipboard()->setText(QStringLiteral("PASTED"));
    control<QWidget>(GetParam())->setFocus();
    const QStringList before = lines();

    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(cell(2, 0), QStringLiteral("[00:02:01]"));
    key(Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(cell(2, 0), QStringLiteral("[00:01:91]"));
    key(Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet().rows(), 16);
    key(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet().rows(), 15);
    for (int step = 0; step < 4; ++step)
        key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(), before) << "four undos take back the four changes";
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(cell(2, 0), QStringLiteral("[00:02:01]"));
    engine.clearLog();
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(engine.countOf("vbmp3_seek"), 1);
    EXPECT_FALSE(timeBox().text().contains(QStringLiteral("PASTED")));
    EXPECT_FALSE(textBox().text().contains(QStringLiteral("PASTED")));
}

INSTANTIATE_TEST_SUITE_P(Focus, KeysWhereTheFocusIs,
                         ::testing::Values("Time_Txt", "Grid_Txt", "FlxGrid", "Cmd_TimeIn", "Slider1"));

TEST_F(EditBoxesTest, UndoInABoxTakesBackItsTypingThenTheHistoryBeforeIt)
{
    clickCell(3, 0);
    key(Qt::Key_Right, Qt::AltModifier);  // a nudge of line 3, then typing in its text box
    clickCell(3, 1);
    textBox().end(false);
    QTest::keyClicks(&textBox(), QStringLiteral("abc"));
    ASSERT_EQ(cell(3, 1), QStringLiteral("line 3abc"));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textBox().text(), QStringLiteral("line 3"));
    EXPECT_EQ(cell(3, 0), QStringLiteral("[00:03:01]"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(3, 0), QStringLiteral("[00:03:00]"));
    EXPECT_EQ(timeBox().text(), QStringLiteral("[00:03:00]"));
}

}  // namespace

}  // namespace lyricue
