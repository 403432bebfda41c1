#pragma once

// Windows keeping recovery copies, for the tests of the copy through the real window.
#include "shell/command_keys.h"
#include "support/test_files.h"
#include "document/recovery_snapshot.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace lyricue {

inline constexpr int Forever = 3600 * 1000;  // an interval no test waits out

// Windows that keep their recovery copies in a temporary state folder, and what they show.
class RecoveryTest : public ::testing::Test {
protected:
    QString folder() const { return dir.filePath(QStringLiteral("state")); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    std::unique_ptr<MainWindow> start(int intervalMs = 5000)
    {
        auto window = std::make_unique<MainWindow>(engine, prompts);
        window->keepRecoveryCopies(folder(), intervalMs);
        return window;
    }

    static LyricsSheet& sheetOf(MainWindow& window) { return *window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid")); }
    // Clicked with no window shown, as a forked child must (it cannot paint).
    static void press(MainWindow& window, const QString& key) { window.findChild<QToolButton*>(key)->click(); }
    static void stamp(MainWindow& window, const char* button = "Cmd_TimeIn")
    {
        window.findChild<QPushButton*>(QLatin1String(button))->click();
    }

    // "読込" of song.mp3 with its song.txt (UTF-8 with a mark), then two stamps and a Space.
    void session(MainWindow& window, int lines)
    {
        QByteArray text = "\xEF\xBB\xBF";
        for (int line = 0; line < lines; ++line)
            text += QStringLiteral("歌詞の行 %1\r\n").arg(line).toUtf8();
        writeFile("song.txt", text);
        writeFile("song.mp3", "not decoded by the recording engine");
        prompts.queueOpenAccept(path("song.mp3"));
        prompts.queueAnswer(AnswerYes);
        press(window, CommandKey::Open);
        ASSERT_EQ(sheetOf(window).rows(), lines + 1);
        engine.setPlayMs(1234);
        stamp(window);
        engine.setPlayMs(5678);
        stamp(window);
        stamp(window, "Command1");
    }

    void writeFile(const char* name, const QByteArray& bytes) const
    {
        writeTestFile(path(name), bytes);
    }

    // Every cell, the header's included, and all that goes with the lines.
    static QStringList windowState(MainWindow& window)
    {
        const LyricsSheet& sheet = sheetOf(window);
        const LyricsDocument& document = sheet.document();
        // Never an empty line, which a child's report would drop.
        QStringList shown;
        for (int index = 0; index < sheet.rows() * sheet.cols(); ++index)
            shown << QStringLiteral("cell %1: ").arg(index) + sheet.cellAt(index);
        shown << QStringLiteral("StampRow %1, row %2, LineCount %3, encoding %4")
                     .arg(window.document().StampRow())
                     .arg(sheet.row())
                     .arg(document.LineCount())
                     .arg(static_cast<int>(document.encoding()))
              << QStringLiteral("LyricsPath ") + window.document().LyricsPath() << QStringLiteral("TrackPath ") + window.document().trackPath()
              << QStringLiteral("source ") + document.sourcePath() << QStringLiteral("saved ") + document.savedPath();
        return shown;
    }

    QStringList copies() const { return QDir(folder()).entryList({QStringLiteral("recovery-*.dat")}, QDir::Files); }

    // The lines of the copy `name` (by default the one copy in the folder), empty while
    // there is none that reads.
    std::vector<LyricLine> copiedLines(QString name = {}) const
    {
        const QStringList found = copies();
        if (name.isEmpty() && found.size() == 1)
            name = found.front();
        QFile file(QDir(folder()).filePath(name));
        if (name.isEmpty() || !file.open(QIODevice::ReadOnly))
            return {};
        const ResultOf<RecoverySnapshot> copy = recoverySnapshotOf(file.readAll());
        return copy.ok() ? copy->content.lines : std::vector<LyricLine>();
    }
    bool copyHolds(MainWindow& window, const QString& name = {}) const
    {
        return copiedLines(name) == sheetOf(window).document().content().lines;
    }

    // The next start says yes: the sheet is back, with one "復元" step and the track opened.
    void restoreAndCompare(const QStringList& before, int lines, bool trackThere)
    {
        auto window = start();
        prompts.clearShown();
        prompts.queueAnswer(AnswerYes);
        engine.clearLog();
        window->offerRecovery();
        ASSERT_EQ(prompts.questions().size(), 1);
        const QRegularExpression question(QStringLiteral("^前回保存されていない歌詞があります \\(song\\.mp3・%1 行・"
                                                         "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\\)。復元しますか\\?$")
                                              .arg(lines));
        EXPECT_TRUE(question.match(prompts.questions().front()).hasMatch()) << prompts.questions().front().toStdString();
        EXPECT_EQ(windowState(*window), before);
        const QUndoStack& history = sheetOf(*window).document().undoStack();
        EXPECT_EQ(history.count(), 1);
        EXPECT_EQ(history.text(0), QStringLiteral("復元"));
        EXPECT_EQ(engine.countOf("vbmp3_open"), trackThere ? 1 : 0);
        // "再読込" writes to the file the lines belong to, asking nothing.
        prompts.clearShown();
        press(*window, CommandKey::SaveAndLoad);
        EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: ") + path("song.txt")
                                               + QStringLiteral("を Save & Load しました")});
    }

    QTemporaryDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
};

}  // namespace lyricue
