#include "shell/command_keys.h"
#include "shell/window_fixture.h"

#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace lyricue {

namespace {

using Calls = std::vector<std::string>;

const Calls StartUp = {"vbmp3_init()", "vbmp3_setVbmp3Option(128, 25, 20, 0)",
                       "vbmp3_setDecodeOption(0, 0, 48000)", "vbmp3_getVolume()"};
const Calls Shutdown = {"vbmp3_stop()", "vbmp3_stopCallback()", "vbmp3_free()"};

Calls joined(Calls first, const Calls& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, StartUpCallsTheEngineInOrderAndAsksNothing)
{
    window();
    EXPECT_EQ(engine.callTexts(), StartUp);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(MainWindowTest, ClosingRightAfterStartUpReleasesTheEngine)
{
    window().show();
    window().close();
    EXPECT_EQ(engine.callTexts(), joined(StartUp, Shutdown));
    EXPECT_FALSE(playTimer().isActive());
    EXPECT_FALSE(stateTimer().isActive());
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(MainWindowTest, ExitCommandReleasesTheEngineLikeTheCloseBox)
{
    window().show();
    clickToolbar(CommandKey::Exit);
    EXPECT_EQ(engine.callTexts(), joined(joined(StartUp, {"vbmp3_getState()"}), Shutdown));
    EXPECT_FALSE(window().isVisible());
}

TEST_F(MainWindowTest, ClosingWhilePlayingWithUnsavedStampsStopsFirstAndAsksNothing)
{
    window().fileCommands().setSelectedPath(QStringLiteral("/music/a.mp3"));
    showActive();
    clickToolbar(CommandKey::Play);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(CellText(sheet(), 1, 0), QStringLiteral("[00:00:00]"));
    engine.clearLog();

    window().close();
    EXPECT_EQ(engine.callTexts(), Shutdown);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(MainWindowTest, StateTimerTicksBetweenStartUpAndCloseOnlyReadTheState)
{
    window().show();
    stateTimerTick();
    stateTimerTick();
    window().close();
    EXPECT_EQ(engine.callTexts(), joined(joined(StartUp, {"vbmp3_getState()", "vbmp3_getState()"}), Shutdown));
}

struct OptionFailure {
    std::int32_t engineOptionResult;
    std::int32_t decodeOptionResult;
    int errorMessages;
};

class StartUpOptions : public WindowTest, public ::testing::WithParamInterface<OptionFailure> {};

TEST_P(StartUpOptions, EachRefusalShowsErrorAndStartUpGoesOn)
{
    engine.setResult("vbmp3_setVbmp3Option", GetParam().engineOptionResult);
    engine.setResult("vbmp3_setDecodeOption", GetParam().decodeOptionResult);
    engine.setVolume(31, 50);
    window();
    EXPECT_EQ(prompts.messages(), QStringList(GetParam().errorMessages, QStringLiteral("error")));
    EXPECT_EQ(engine.callTexts(), StartUp);
    EXPECT_EQ(control<QSlider>("Slider1")->value(), 40);
}

INSTANTIATE_TEST_SUITE_P(Results, StartUpOptions,
                         ::testing::Values(OptionFailure{1, 1, 0}, OptionFailure{0, 1, 1}, OptionFailure{1, 0, 1},
                                           OptionFailure{0, 0, 2}));

TEST_F(MainWindowTest, StartsWithEmptyDisplaysAndTheStartUpSheet)
{
    showActive();
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Lyricue"));
    EXPECT_EQ(control<QLabel>("lblTime")->text(), QStringLiteral("Now 00:00:00"));
    EXPECT_EQ(control<QLabel>("lbl_time2")->text(), QStringLiteral("Time 00:00:00"));
    EXPECT_EQ(control<QLabel>("Label8")->text(), QStringLiteral("Vol"));
    EXPECT_EQ(control<QPushButton>("Cmd_TimeIn")->text(), QStringLiteral("Time Input"));
    EXPECT_EQ(control<QPushButton>("Command1")->text(), QStringLiteral("Space"));
    for (int index = 0; index < 5; ++index)
        EXPECT_EQ(lyricLabel(index)->text(), QString()) << index;
    EXPECT_TRUE(control<QLineEdit>("Time_Txt")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("Grid_Txt")->text().isEmpty());

    QScrollBar* timebar = control<QScrollBar>("timebar");
    EXPECT_EQ(timebar->value(), 0);
    EXPECT_EQ(timebar->maximum(), 32767);
    EXPECT_EQ(timebar->singleStep(), 1);
    EXPECT_EQ(timebar->pageStep(), 1);
    EXPECT_EQ(playTimer().interval(), 200);
    EXPECT_FALSE(playTimer().isActive());
    EXPECT_EQ(stateTimer().interval(), 1000);
    EXPECT_EQ(focusName(), QStringLiteral("Slider1"));

    EXPECT_EQ(sheet().rows(), 15);
    EXPECT_EQ(sheet().row(), 1);
    EXPECT_EQ(sheet().document().LineCount(), 14);
    EXPECT_EQ(window().document().StampRow(), 0);
    EXPECT_TRUE(window().fileCommands().SelectedPath().isEmpty());
    EXPECT_TRUE(window().document().LyricsPath().isEmpty());
}

TEST(MainWindowTimers, StateTimerRunsFromStartUp)
{
    RecordingEngine engine;
    ScriptedPrompts prompts;
    MainWindow window(engine, prompts);
    EXPECT_TRUE(window.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
}

struct Placement {
    const char* name;
    int left, top, width, height;  // twips
};

TEST_F(MainWindowTest, ControlsStandAtTheirPlacesInAFixedClientArea)
{
    window().show();
    const Placement placements[] = {
        {"lblTime", 5145, 675, 2280, 360},   {"lbl_time2", 5145, 1065, 2280, 360},
        {"Cmd_TimeIn", 5160, 1455, 1560, 930}, {"Command1", 6720, 1455, 720, 930},
        {"timebar", 45, 2520, 5100, 210},    {"Label8", 5280, 2490, 300, 180},
        {"Slider1", 5640, 2505, 1710, 225},  {"Time_Txt", 45, 2775, 1215, 345},
        {"Grid_Txt", 1305, 2775, 6090, 345}, {"FlxGrid", 15, 3150, 7455, 4155},
    };
    for (const Placement& p : placements)
        EXPECT_EQ(control<QWidget>(p.name)->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15))
            << p.name;
    for (int index = 0; index < 5; ++index)
        EXPECT_EQ(lyricLabel(index)->geometry(), QRect(5, (660 + 360 * index) / 15, 336, 24)) << index;

    EXPECT_EQ(window().centralWidget()->size(), QSize(499, 488));
    EXPECT_EQ(control<QToolBar>("Toolbar1")->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(control<QToolBar>("Toolbar1")->width(), 499);
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
    EXPECT_FALSE(window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsInTheirTabOrder)
{
    showActive();
    QStringList order;
    const QWidget* start = control<QWidget>("Slider1");
    const QWidget* widget = start;
    do {
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != start);
    const QStringList expected = {QStringLiteral("Slider1"),  QStringLiteral("FlxGrid"),
                                  QStringLiteral("Cmd_TimeIn"), QStringLiteral("Grid_Txt"),
                                  QStringLiteral("Time_Txt"), QStringLiteral("timebar"),
                                  QStringLiteral("Command1")};
    EXPECT_EQ(order, expected);
}

TEST_F(MainWindowTest, ToolbarHasThirteenIconOnlyButtonsInOrder)
{
    window().show();
    const QList<QAction*> actions = control<QToolBar>("Toolbar1")->actions();
    struct Button {
        QString key;  // empty for a separator
        const char* picture;
    };
    const Button buttons[] = {
        {CommandKey::Open, "open"},   {CommandKey::LoadLyrics, "load_lyrics"},
        {CommandKey::SaveLyrics, "save_lyrics"}, {CommandKey::SaveAndLoad, "save_and_load"},
        {QString(), nullptr},         {CommandKey::Play, "play"},
        {CommandKey::Pause, "pause"}, {CommandKey::Stop, "stop"},
        {QString(), nullptr},         {CommandKey::Search, "search"},
        {QString(), nullptr},         {CommandKey::About, "about"},
        {CommandKey::Exit, "exit"},
    };
    ASSERT_EQ(actions.size(), 13);
    for (int position = 0; position < 13; ++position) {
        QAction* action = actions[position];
        const QString& key = buttons[position].key;
        SCOPED_TRACE(position + 1);
        EXPECT_EQ(action->isSeparator(), key.isEmpty());
        if (key.isEmpty())
            continue;
        auto* button = qobject_cast<QToolButton*>(control<QToolBar>("Toolbar1")->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->accessibleName(), key);
        EXPECT_TRUE(button->text().isEmpty());
        EXPECT_TRUE(button->toolTip().isEmpty());
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        const QIcon drawn(QStringLiteral(":/icons/%1.png").arg(QLatin1String(buttons[position].picture)));
        ASSERT_FALSE(drawn.pixmap(32, 32).isNull());
        EXPECT_EQ(button->icon().pixmap(32, 32).toImage(), drawn.pixmap(32, 32).toImage());
    }
    EXPECT_FALSE(window().windowIcon().isNull());
}

TEST_F(MainWindowTest, MenusHoldTheTreeAndDoNothing)
{
    window().show();
    engine.clearLog();
    QMenuBar* bar = window().menuBar();
    QStringList titles;
    for (QAction* menu : bar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("LRC(&L)"),
                                   QStringLiteral("速度(&S)"), QStringLiteral("表示(&V)"), QStringLiteral("about(&Q)")}));

    const auto* file = window().findChild<QMenu*>(QStringLiteral("cmn_file"));
    const auto* popup = window().findChild<QMenu*>(QStringLiteral("Right_Click"));
    ASSERT_NE(file, nullptr);
    ASSERT_NE(popup, nullptr);
    QStringList items;
    for (QAction* item : file->actions() + popup->actions())
        items << item->objectName() + u'=' + item->text();
    EXPECT_EQ(items, QStringList({QStringLiteral("open_mp=開く[MP3](&M)　"), QStringLiteral("open_txt=開く[TXT](&T)"),
                                  QStringLiteral("save_txt=保存[TXT](&S)"), QStringLiteral("end=終了(&X)"),
                                  QStringLiteral("add_line=行の追加"), QStringLiteral("del_line=行の削除")}));

    for (QAction* item : file->actions() + popup->actions())
        item->trigger();
    EXPECT_TRUE(engine.calls().empty());
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_TRUE(window().isVisible());  // "終了(&X)" in the menu does not close it
    EXPECT_FALSE(popup->isVisible());
}

}  // namespace

}  // namespace lyricue
