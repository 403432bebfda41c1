// Faults of the lyrics file: deleted between the load question and the load, or
// after the open dialog, and a save cut off part-way by a file-size limit. The user is told, no file is replaced
// by a broken or emptied sheet, and the window goes on working.
#include "shell/child_process.h"
#include "support/test_files.h"
#include "shell/command_keys.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/real_window.h"
#include "shell/qt_printers.h"
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <utility>

namespace lyricue {

namespace {

// ScriptedPrompts that runs a hook while a question is open, before it is answered.
class HookedPrompts : public ScriptedPrompts {
public:
    std::function<void()> whileAsked;

    int askYesNoCancel(const QString& text) override
    {
        if (whileAsked)
            std::exchange(whileAsked, nullptr)();
        return ScriptedPrompts::askYesNoCancel(text);
    }
};

void writeAll(const QString& path, const QByteArray& bytes)
{
    writeTestFile(path, bytes);
}

class LyricsFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_NO_FATAL_FAILURE(showActiveWindow(window));
        sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
        ASSERT_NE(sheet, nullptr);
    }

    void TearDown() override { window.close(); }

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    void clickToolbar(const QString& key) { clickToolbarButton(window, key); }

    void stamp() { QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn")), Qt::LeftButton); }

    // Every line of the sheet as it would be saved: tag directly followed by text.
    QStringList sheetLines() const
    {
        QStringList lines;
        for (int row = 1; row < sheet->rows(); ++row)
            lines << CellText(*sheet, row, 0) + CellText(*sheet, row, 1);
        return lines;
    }

    // "読込" of first.mp3 with first.txt, and two lines stamped at 1.23 s.
    void openFirstSongAndStamp()
    {
        writeAll(path("first.txt"), cp932Lines(FirstLines));
        prompts.queueOpenAccept(path("first.mp3"));
        prompts.queueAnswer(AnswerYes);
        clickToolbar(CommandKey::Open);
        ASSERT_EQ(sheet->rows(), 5);
        engine.setPlayMs(1234);
        stamp();
        stamp();
        ASSERT_EQ(sheetLines(), StampedFirstLines);
        prompts.clearShown();
    }

    // The file a save message names ("<path>を保存しました" and the like).
    static QString savedPath(const QString& message, const QString& ending)
    {
        return message.endsWith(ending) ? message.chopped(ending.size()) : QString();
    }

    const QStringList FirstLines = {QStringLiteral("一行目"), QStringLiteral("[00:05:00]二行目"),
                                    QStringLiteral("三行目"), QStringLiteral("四行目")};
    const QStringList StampedFirstLines = {QStringLiteral("[00:01:23]一行目"), QStringLiteral("[00:01:23]二行目"),
                                           QStringLiteral("三行目"), QStringLiteral("四行目")};

    QTemporaryDir dir;
    RecordingEngine engine;
    HookedPrompts prompts;
    MainWindow window{engine, prompts};
    LyricsSheet* sheet = nullptr;
};

// Deleted while the question is on screen: the loader finds no file, says so and
// leaves the sheet as it was; both saves then write that sheet whole.
TEST_F(LyricsFault, DeletedWhileTheQuestionIsOpenLeavesTheSheetAndSavesWriteItWhole)
{
    openFirstSongAndStamp();
    const QByteArray firstOnDisk = fileContents(path("first.txt"));
    writeAll(path("second.txt"), cp932Lines({QStringLiteral("second song")}));
    engine.clearLog();

    prompts.whileAsked = [&] { ASSERT_TRUE(QFile::remove(path("second.txt"))); };
    prompts.queueOpenAccept(path("second.mp3"));
    prompts.queueAnswer(AnswerYes);
    clickToolbar(CommandKey::Open);

    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("同名の歌詞ファイルが存在しません")});
    EXPECT_EQ(sheetLines(), StampedFirstLines);
    EXPECT_EQ(engine.countOf("vbmp3_setLyricsFile"), 0);
    EXPECT_EQ(fileContents(path("first.txt")), firstOnDisk);

    // "再読込" and "歌詞保存" write the stamped sheet, every line of it.
    prompts.clearShown();
    clickToolbar(CommandKey::SaveAndLoad);
    ASSERT_EQ(prompts.messages().size(), 1);
    const QString reloaded = savedPath(prompts.messages().front(), QStringLiteral("を Save & Load しました"));
    ASSERT_FALSE(reloaded.isEmpty()) << prompts.messages().front().toStdString();
    EXPECT_EQ(fileContents(reloaded), cp932Lines(StampedFirstLines));

    prompts.queueSaveAccept(path("kept.txt"));
    clickToolbar(CommandKey::SaveLyrics);
    EXPECT_EQ(prompts.messages().back(), path("kept.txt") + QStringLiteral("を保存しました"));
    EXPECT_EQ(fileContents(path("kept.txt")), cp932Lines(StampedFirstLines));
    EXPECT_EQ(fileContents(path("first.txt")), firstOnDisk);
}

// Gone between the open dialog and the read: the user is told which file and why,
// and the stamped sheet, its file and the engine's lyrics stay as they were, so
// "再読込" writes the stamps to the sheet's own file.
TEST_F(LyricsFault, GoneAfterTheDialogIsToldAndTheStampedSheetStays)
{
    openFirstSongAndStamp();
    engine.clearLog();
    const int currentRow = sheet->row();

    prompts.queueOpenAccept(path("second.txt"));  // no such file
    clickToolbar(CommandKey::LoadLyrics);

    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_EQ(prompts.messages().front(), QStringLiteral("「") + QDir::toNativeSeparators(path("second.txt"))
                                              + QStringLiteral("」を開けません: ファイルまたはフォルダーが見つかりません"));
    EXPECT_EQ(sheetLines(), StampedFirstLines);
    EXPECT_EQ(sheet->row(), currentRow);
    EXPECT_EQ(window.document().StampRow(), 2);
    EXPECT_EQ(window.document().LyricsPath(), path("first.txt"));
    EXPECT_EQ(engine.countOf("vbmp3_setLyricsFile"), 0);

    prompts.clearShown();
    clickToolbar(CommandKey::SaveAndLoad);
    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: ") + path("first.txt")
                                           + QStringLiteral("を Save & Load しました")});
    EXPECT_EQ(fileContents(path("first.txt")), cp932Lines(StampedFirstLines));
}

// A save that runs into a file-size limit part-way, in a child process that has the
// limit and ignores SIGXFSZ (so that the write fails with EFBIG instead).
TEST_F(LyricsFault, SaveCutOffByAFileSizeLimitKeepsTheOldFileAndNamesIt)
{
    QStringList lines;
    for (int line = 0; line < 1000; ++line)
        lines << QStringLiteral("歌詞の行 %1 ああああああああああ").arg(line);
    const QString lyrics = path("long.txt");
    writeAll(lyrics, cp932Lines(lines));
    const QByteArray onDisk = fileContents(lyrics);
    constexpr rlim_t kLimit = 4096;
    ASSERT_GT(onDisk.size(), qsizetype(4 * kLimit));
    prompts.queueOpenAccept(lyrics);
    clickToolbar(CommandKey::LoadLyrics);
    ASSERT_EQ(sheet->rows(), 1001);
    engine.setPlayMs(61000);
    stamp();
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    engine.clearLog();

    const ChildOutcome child = runInChild([&](ChildReport& out) {
        // Painting hands work to Qt's raster thread pool, whose threads the fork did not copy.
        window.setUpdatesEnabled(false);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = kLimit;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            out.report(QStringLiteral("setrlimit failed"));
            return;
        }
        prompts.queueSaveAccept(lyrics);  // "歌詞保存" over the same file
        clickToolbar(CommandKey::SaveLyrics);
        clickToolbar(CommandKey::SaveAndLoad);
        prompts.queueSaveAccept(path("new.txt"));
        clickToolbar(CommandKey::SaveLyrics);
        for (const QString& message : prompts.messages())
            out.report(QStringLiteral("message ") + message);
        out.report(QStringLiteral("lyrics file ") + window.document().LyricsPath());
        out.report(QStringLiteral("handed to the engine %1").arg(engine.countOf("vbmp3_setLyricsFile")));
    });

    ASSERT_TRUE(child.exited && child.exitCode == 0) << child.describe();
    ASSERT_EQ(child.lines.size(), 5) << child.lines.join(u'\n').toStdString();
    // "歌詞保存" over the file, "再読込", "歌詞保存" under a new name: each names its file.
    const QString cutOff = QStringLiteral("」に保存できません: ");
    const QStringList expectedFiles = {lyrics, lyrics, path("new.txt")};
    for (int i = 0; i < 3; ++i) {
        const QString& message = child.lines.at(i);
        const QString head = QStringLiteral("message 「") + QDir::toNativeSeparators(expectedFiles.at(i)) + cutOff;
        EXPECT_TRUE(message.startsWith(head)) << message.toStdString();
        EXPECT_TRUE(message.endsWith(QStringLiteral("ファイルが大きすぎます"))) << message.toStdString();
    }
    EXPECT_EQ(child.lines.at(3), QStringLiteral("lyrics file ") + lyrics);
    EXPECT_EQ(child.lines.at(4), QStringLiteral("handed to the engine 0"));

    // The old file whole, and no half-written file or temporary left beside it.
    EXPECT_EQ(fileContents(lyrics), onDisk);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore);

    // Without the limit the same save goes through.
    clickToolbar(CommandKey::SaveAndLoad);
    EXPECT_EQ(prompts.messages(), QStringList{lyrics + QStringLiteral("を Save & Load しました")});
    lines[0].prepend(QStringLiteral("[01:01:00]"));
    EXPECT_EQ(fileContents(lyrics), cp932Lines(lines));
}

}  // namespace

}  // namespace lyricue
