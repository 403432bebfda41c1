// Lyrics files through the real window: a UTF-16 file stamped and saved back, the
// LRC menu, Return and Enter on the stamping buttons, the sheet after a load.
#include "text/ansi_text.h"
#include "support/test_files.h"
#include "shell/command_keys.h"
#include "lyricsfile/lrc_file.h"
#include "shell/lrc_commands.h"
#include "shell/window_fixture.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

namespace lyricue {

namespace {

class LyricsFilesWindow : public WindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        showActive();
    }

    QString writeFile(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        writeTestFile(path, bytes);
        return path;
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // "歌詞読込" of the file.
    void loadLyrics(const QString& path)
    {
        prompts.queueOpenAccept(path);
        clickToolbar(CommandKey::LoadLyrics);
    }

    QTemporaryDir dir;
};

TEST_F(LyricsFilesWindow, Utf16FileStampedAndSavedBackKeepsItsEncoding)
{
    const auto utf16 = [](const char16_t* text) { return encodeText(QStringView(text), TextEncoding::Utf16Le).bytes; };
    const QString file = writeFile("song.txt", utf16(u"[00:00:00]夜明けの空に\r\nﾊｰﾄ🎵\r\n三行目\r\n"));
    loadLyrics(file);
    ASSERT_EQ(sheet().rows(), 4);

    engine.setPlayMs(1230);
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    engine.setPlayMs(4560);
    QTest::mouseClick(control<QPushButton>("Cmd_TimeIn"), Qt::LeftButton);
    clickToolbar(CommandKey::SaveAndLoad);

    EXPECT_EQ(readFile(file).toHex(), utf16(u"[00:01:23]夜明けの空に\r\n[00:04:56]ﾊｰﾄ🎵\r\n三行目\r\n").toHex());
    EXPECT_EQ(prompts.messages(), QStringList{file + QStringLiteral("を Save & Load しました")});
}

TEST_F(LyricsFilesWindow, ReturnAndEnterPressAFocusedStampingButton)
{
    loadLyrics(writeFile("song.txt", "a\r\nb\r\nc\r\nd\r\ne\r\n"));
    engine.setPlayMs(2000);
    const struct {
        const char* button;
        Qt::Key key;
        const char* tag;  // what the press writes into the next line's tag
    } cases[] = {
        {"Cmd_TimeIn", Qt::Key_Return, "[00:02:00]"},
        {"Cmd_TimeIn", Qt::Key_Enter, "[00:02:00]"},
        {"Command1", Qt::Key_Return, ""},
        {"Command1", Qt::Key_Enter, ""},
    };
    for (const auto& c : cases) {
        control<QPushButton>(c.button)->setFocus();
        const int line = window().document().StampRow();
        sheet().setCellAt(LineTagIndex(sheet(), line), QStringLiteral("[09:09:09]"));
        QTest::keyClick(window().windowHandle(), c.key);
        EXPECT_EQ(window().document().StampRow(), line + 1) << c.button << " " << c.key;
        EXPECT_EQ(sheet().cellAt(LineTagIndex(sheet(), line)), QLatin1String(c.tag)) << c.button << " " << c.key;
    }
}

TEST_F(LyricsFilesWindow, EveryLoadShowsTheSheetFromItsTop)
{
    QByteArray lines;
    for (int line = 0; line < 200; ++line)
        lines += "line\r\n";
    loadLyrics(writeFile("first.txt", lines));
    sheet().setTopRow(150);
    ASSERT_GT(sheet().topRow(), 100);

    loadLyrics(writeFile("second.txt", lines));
    EXPECT_EQ(sheet().topRow(), 1);
    sheet().setTopRow(150);
    prompts.queueOpenAccept(writeFile("third.lrc", lines));
    QTest::keyClick(window().windowHandle(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(sheet().topRow(), 1);
}

TEST_F(LyricsFilesWindow, LrcMenuRunsByShortcutAndIsRefusedWhileMusicPlays)
{
    QMenu* menu = window().findChild<QMenu*>(QStringLiteral("lrc"));
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* item : menu->actions())
        items << item->text() + u'=' + item->shortcut().toString();
    EXPECT_EQ(items, QStringList({QStringLiteral("LRC 読込(&I)...=Ctrl+I"), QStringLiteral("LRC 書出し(&E)...=Ctrl+E"),
                                  QStringLiteral("="), QStringLiteral("曲の歌詞を読込(&T)="),
                                  QStringLiteral("曲に歌詞を書込(&W)=")}));

    prompts.queueOpenCancel();
    QTest::keyClick(window().windowHandle(), Qt::Key_I, Qt::ControlModifier);
    prompts.queueSaveCancel();
    QTest::keyClick(window().windowHandle(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(prompts.shown(), QStringList({QStringLiteral("open"), QStringLiteral("save")}));
    EXPECT_EQ(prompts.openDialogs().back().filter, LrcDialogFilter);

    engine.setState(EnginePlaying);
    prompts.clearShown();
    for (QAction* item : menu->actions())
        item->trigger();
    // The separator is no command; the two LRC and the two track lyrics commands are refused.
    EXPECT_EQ(prompts.shown(), QStringList(4, QStringLiteral("message: ＭＰ３再生中は実行できません")));
}

}  // namespace

}  // namespace lyricue
