// "Time Input" stamps the moment its key or mouse button went down, not when it came up.
#include "shell/window_fixture.h"

#include <QLineEdit>

#include <functional>

namespace lyricue {

namespace {

class StampPressTest : public WindowTest {
public:
    using WindowTest::engine;
    void SetUp() override { showActive(); }

    QPushButton& button() { return *control<QPushButton>("Cmd_TimeIn"); }
    QString tag(int line) { return sheet().cellAt(LineTagIndex(sheet(), line)); }
};

struct PressCase {
    const char* name;
    // Presses the button with the play position at 10,000 ms; the user lets go at 10,800 ms.
    std::function<void(StampPressTest&, QPushButton&)> pressAndRelease;
    const char* stamped;  // line 0's tag afterwards
};

class PressAndRelease : public StampPressTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressAndRelease, StampsThePositionWhenTheButtonWentDown)
{
    sheet().setCellAt(LineTagIndex(sheet(), 0), QStringLiteral("[00:00:00]"));
    engine.setPlayMs(10'000);
    GetParam().pressAndRelease(*this, button());
    EXPECT_EQ(tag(0), QString::fromUtf8(GetParam().stamped));
}

void heldKey(StampPressTest& t, QPushButton& button, Qt::Key key)
{
    button.setFocus();
    QTest::keyPress(&button, key);
    t.engine.setPlayMs(10'400);
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);  // the key repeating
    QCoreApplication::sendEvent(&button, &repeat);
    t.engine.setPlayMs(10'800);
    QTest::keyRelease(&button, key);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PressAndRelease,
    ::testing::Values(
        PressCase{"SpaceHeld", [](StampPressTest& t, QPushButton& b) { heldKey(t, b, Qt::Key_Space); }, "[00:10:00]"},
        PressCase{"EnterHeld", [](StampPressTest& t, QPushButton& b) { heldKey(t, b, Qt::Key_Return); }, "[00:10:00]"},
        PressCase{"MouseHeld",
                  [](StampPressTest& t, QPushButton& b) {
                      QTest::mousePress(&b, Qt::LeftButton);
                      t.engine.setPlayMs(10'800);
                      QTest::mouseRelease(&b, Qt::LeftButton);
                  },
                  "[00:10:00]"},
        // A press the user takes back (dragged off the button) stamps nothing, and leaves
        // nothing for a later click to take.
        PressCase{"MouseDraggedOff",
                  [](StampPressTest& t, QPushButton& b) {
                      QTest::mousePress(&b, Qt::LeftButton);
                      t.engine.setPlayMs(10'800);
                      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(-40, -40));
                  },
                  "[00:00:00]"},
        PressCase{"ClickAfterATakenBackPress",
                  [](StampPressTest& t, QPushButton& b) {
                      QTest::mousePress(&b, Qt::LeftButton);
                      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(-40, -40));
                      t.engine.setPlayMs(12'340);
                      b.click();
                  },
                  "[00:12:34]"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
