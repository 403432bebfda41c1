#include "base/app_settings.h"
#include "shell/window_fixture.h"

#include <QMenu>

namespace lyricue {

namespace {

class SpeedMenuTest : public WindowTest {
protected:
    SpeedMenuTest() { app_settings::forgetAll(); }
    ~SpeedMenuTest() override { app_settings::forgetAll(); }

    QMenu* menu() { return control<QMenu>("speed"); }
    QAction* item(int data)
    {
        for (QAction* action : menu()->actions())
            if (!action->isSeparator() && action->data().toInt() == data)
                return action;
        ADD_FAILURE() << "no item " << data;
        return nullptr;
    }
    QString checked()
    {
        QStringList texts;
        for (QAction* action : menu()->actions())
            if (action->isChecked())
                texts << action->text();
        return texts.join(u',');
    }
    std::vector<std::string> speedCalls()
    {
        std::vector<std::string> texts;
        for (const EngineCall& call : engine.callsNamed("setPlaybackSpeed"))
            texts.push_back(call.text());
        return texts;
    }
};

TEST_F(SpeedMenuTest, OffersStepsThenEachPercentWithHundredChecked)
{
    QStringList texts;
    for (QAction* action : menu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text() + u' ' + action->shortcut().toString());
    EXPECT_EQ(texts, QStringList({QStringLiteral("遅く(&D) Ctrl+-"), QStringLiteral("速く(&U) Ctrl++"), QStringLiteral("-"),
                                  QStringLiteral("50 % "), QStringLiteral("60 % "), QStringLiteral("70 % "),
                                  QStringLiteral("80 % "), QStringLiteral("90 % "), QStringLiteral("100 % ")}));
    EXPECT_EQ(checked(), QStringLiteral("100 %"));
    EXPECT_TRUE(speedCalls().empty());  // 100 % is the engine's own: nothing sent at start-up
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Lyricue"));
}

// The chosen speed goes to the engine, is checked, and follows the caption, also one a
// track's tags set later; back at 100 % the caption is as before.
TEST_F(SpeedMenuTest, ChosenSpeedIsSentCheckedAndShownAfterTheCaption)
{
    item(80)->trigger();
    EXPECT_EQ(speedCalls(), std::vector<std::string>{"setPlaybackSpeed(80)"});
    EXPECT_EQ(checked(), QStringLiteral("80 %"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Lyricue  [速度 80%]"));
    window().setWindowTitle(QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_EQ(window().windowTitle(), QStringLiteral("佐藤一郎 // 秋の空  [速度 80%]"));
    item(100)->trigger();
    EXPECT_EQ(window().windowTitle(), QStringLiteral("佐藤一郎 // 秋の空"));
}

TEST_F(SpeedMenuTest, ShortcutsStepAndStopAtTheEnds)
{
    showActive();
    QTest::keyClick(&window(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&window(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(checked(), QStringLiteral("80 %"));
    QTest::keyClick(&window(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(checked(), QStringLiteral("90 %"));
    for (int i = 0; i < 6; ++i)
        item(-1)->trigger();
    EXPECT_EQ(checked(), QStringLiteral("50 %"));
    item(1)->trigger();
    item(1)->trigger();
    EXPECT_EQ(speedCalls(), (std::vector<std::string>{"setPlaybackSpeed(90)", "setPlaybackSpeed(80)",
                                                      "setPlaybackSpeed(90)", "setPlaybackSpeed(80)",
                                                      "setPlaybackSpeed(70)", "setPlaybackSpeed(60)",
                                                      "setPlaybackSpeed(50)", "setPlaybackSpeed(60)",
                                                      "setPlaybackSpeed(70)"}));
}

// The speed is kept: the next window starts at it.
TEST_F(SpeedMenuTest, KeptForTheNextRun)
{
    item(60)->trigger();
    RecordingEngine nextEngine;
    ScriptedPrompts nextPrompts;
    MainWindow next(nextEngine, nextPrompts);
    EXPECT_EQ(nextEngine.callsNamed("setPlaybackSpeed").size(), 1u);
    EXPECT_EQ(nextEngine.callsNamed("setPlaybackSpeed").front().text(), "setPlaybackSpeed(60)");
    EXPECT_EQ(next.windowTitle(), QStringLiteral("Lyricue  [速度 60%]"));
}

}  // namespace

}  // namespace lyricue
