#include "shell/about_box.h"
#include "shell/command_keys.h"
#include "support/recording_engine.h"
#include "shell/window_fixture.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace lyricue {

namespace {

struct VersionCase {
    std::int32_t version;
    const char* text;
};

class EngineVersionTextTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(EngineVersionTextTest, WritesTheVersionInGeneralNumberForm)
{
    EXPECT_EQ(engineVersionText(GetParam().version), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Versions, EngineVersionTextTest,
                         ::testing::Values(VersionCase{150, "VBMP3 Ver. 1.5"}, VersionCase{123, "VBMP3 Ver. 1.23"},
                                           VersionCase{200, "VBMP3 Ver. 2"}, VersionCase{5, "VBMP3 Ver. 0.05"},
                                           VersionCase{0, "VBMP3 Ver. 0"}, VersionCase{-150, "VBMP3 Ver. -1.5"},
                                           VersionCase{123456789, "VBMP3 Ver. 1234568"},
                                           VersionCase{2147483647, "VBMP3 Ver. 2.147484E+07"}));

QString labelText(const AboutBox& box, const char* name)
{
    const QLabel* found = box.findChild<QLabel*>(QLatin1String(name));
    return found ? found->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

TEST(AboutBoxTest, ShowsTitleVersionsAndDescription)
{
    RecordingEngine engine;
    engine.setVersion(123);
    AboutBox box(engine);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Lyricueのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(labelText(box, "lblTitle"), QStringLiteral("Lyricue"));
    EXPECT_EQ(labelText(box, "lblVersion"), QStringLiteral("Ver. 1.5.1"));
    EXPECT_EQ(labelText(box, "lblDescription"), QStringLiteral("ＭＰ３歌詞ファイルユーティリティ"));
    EXPECT_EQ(labelText(box, "Vbmp_Ver"), QStringLiteral("VBMP3 Ver. 1.23"));
    EXPECT_FALSE(labelText(box, "lblDisclaimer").isEmpty());
    EXPECT_EQ(engine.countOf("vbmp3_getVersion"), 1);
    EXPECT_EQ(box.size(), QSize(306, 142));
}

class AboutBoxKeyTest : public ::testing::TestWithParam<Qt::Key> {};

TEST_P(AboutBoxKeyTest, EnterAndEscCloseTheBox)
{
    RecordingEngine engine;
    auto* box = new AboutBox(engine);
    QPointer<AboutBox> watch(box);
    box->show();
    QApplication::setActiveWindow(box);
    box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->setFocus();
    QTest::keyClick(box, GetParam());
    QApplication::processEvents();
    EXPECT_TRUE(watch.isNull() || !watch->isVisible());
    delete watch.data();
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutBoxKeyTest, ::testing::Values(Qt::Key_Return, Qt::Key_Escape));

TEST(AboutBoxTest, OkButtonClosesTheBox)
{
    RecordingEngine engine;
    auto* box = new AboutBox(engine);
    QPointer<AboutBox> watch(box);
    box->show();
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(watch.isNull() || !watch->isVisible());
    delete watch.data();
}

using AboutCommandTest = WindowTest;

TEST_F(AboutCommandTest, OpensTheBoxModallyWithTheEngineVersionEachTime)
{
    showActive();
    engine.setState(EnginePlaying);  // the busy rule leaves this key alone
    engine.setVersion(150);
    QStringList seen;
    for (int showing = 0; showing < 2; ++showing) {
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            const QLabel* version = box->findChild<QLabel*>(QStringLiteral("Vbmp_Ver"));
            seen << box->objectName() + u' ' + (version ? version->text() : QString());
            QTest::keyClick(box, Qt::Key_Escape);
        });
        clickToolbar(CommandKey::About);
        engine.setVersion(200);
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("frmAbout VBMP3 Ver. 1.5"), QStringLiteral("frmAbout VBMP3 Ver. 2")}));
    EXPECT_EQ(engine.countOf("vbmp3_getVersion"), 2);
}

TEST_F(AboutCommandTest, ShutdownClosesAnOpenBoxBeforeReleasingTheEngine)
{
    showActive();
    bool boxWasOpen = false;
    QTimer::singleShot(0, [&] {
        boxWasOpen = QApplication::activeModalWidget() != nullptr;
        window().close();
    });
    clickToolbar(CommandKey::About);
    QApplication::processEvents();
    EXPECT_TRUE(boxWasOpen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const std::vector<std::string> calls = engine.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"vbmp3_stop", "vbmp3_stopCallback", "vbmp3_free"}));
}

}  // namespace

}  // namespace lyricue
