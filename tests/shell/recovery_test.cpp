// The recovery copy through the real window: a program killed, terminated or closed
// with unsaved stamps gives them back whole at the next start; saved lines leave
// nothing to ask; a damaged copy is told and set aside; a running program's copy is
// never taken.
#include "child_process.h"
#include "command_keys.h"
#include "document/recovery_snapshot.h"
#include "lyrics_sheet.h"
#include "main_window.h"
#include "recording_engine.h"
#include "scripted_prompts.h"
#include "termination_signals.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <csignal>
#include <functional>
#include <memory>

namespace {

constexpr int Forever = 3600 * 1000;

class Recovery : public ::testing::Test {
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
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Every cell, the header's included, and all that goes with the lines.
    static QStringList windowState(MainWindow& window)
    {
        const LyricsSheet& sheet = sheetOf(window);
        const LyricsDocument& document = sheet.document();
        const ProgramState& state = window.programState();
        // Never an empty line, which a child's report would drop.
        QStringList shown;
        for (int index = 0; index < sheet.rows() * sheet.cols(); ++index)
            shown << QStringLiteral("cell %1: ").arg(index) + sheet.cellAt(index);
        shown << QStringLiteral("StampRow %1, row %2, LineCount %3, encoding %4")
                     .arg(state.StampRow)
                     .arg(sheet.row())
                     .arg(document.lineCount())
                     .arg(static_cast<int>(document.encoding()))
              << QStringLiteral("LyricsPath ") + state.LyricsPath << QStringLiteral("TrackPath ") + state.TrackPath
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

// Killed once the copy caught up, or terminated (a session ending) with the last
// stamps still waiting for the interval: both come back whole.
TEST_F(Recovery, KilledOrTerminatedMidSessionComesBackWhole)
{
    for (const int how : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(how);
        QDir(folder()).removeRecursively();
        const ChildOutcome child = runInChild([&](ChildReport& out) {
            auto window = start(how == SIGKILL ? 10 : Forever);
            runBeforeTerminationSignals([&window] { window->finishRecovery(); });
            session(*window, 4);
            if (!QTest::qWaitFor([&] { return copyHolds(*window); }, 30000))
                out.report(QStringLiteral("the copy never caught up"));
            if (how == SIGTERM) {
                // Within the interval since that write: only the signal brings this stamp out.
                engine.setPlayMs(9000);
                stamp(*window);
                QCoreApplication::processEvents();
                if (copyHolds(*window))
                    out.report(QStringLiteral("the last stamp did not wait"));
            }
            for (const QString& line : windowState(*window))
                out.report(line);
            ::kill(::getpid(), how);
            // A caught signal ends it on the event loop.
            static_cast<void>(QTest::qWaitFor([] { return false; }, 30000));
        });
        ASSERT_EQ(child.signal, how) << child.describe();
        ASSERT_EQ(child.lines.size(), 15) << child.lines.join(u'\n').toStdString();
        restoreAndCompare(child.lines, 4, true);
    }
}

// Closed with unsaved stamps: nothing asked then, everything offered at the next start.
TEST_F(Recovery, ClosedUnsavedComesBackAtTheNextStart)
{
    for (const int lines : {4, MaxLyricLines}) {
        SCOPED_TRACE(lines);
        QDir(folder()).removeRecursively();
        QStringList before;
        {
            auto window = start(Forever);
            session(*window, lines);
            before = windowState(*window);
            prompts.clearShown();
            window->close();
            EXPECT_TRUE(prompts.shown().isEmpty());
        }
        ASSERT_EQ(copies().size(), 1);
        const bool trackThere = lines == 4;
        if (!trackThere)
            QFile::remove(path("song.mp3"));
        restoreAndCompare(before, lines, trackThere);
    }
}

// Lines as in their file when the program ends: the copy goes, the next start asks nothing.
TEST_F(Recovery, SavedLinesLeaveNothingToAsk)
{
    const std::function<void(MainWindow&)> endings[] = {
        [](MainWindow& window) { press(window, CommandKey::SaveAndLoad); },
        [](MainWindow& window) {
            for (int step = 0; step < 3; ++step)
                sheetOf(window).document().undoStack().undo();
        },
    };
    for (const auto& ending : endings) {
        {
            auto window = start(10);
            session(*window, 4);
            ASSERT_TRUE(QTest::qWaitFor([&] { return copyHolds(*window); }, 30000));
            ending(*window);
            EXPECT_TRUE(QTest::qWaitFor([&] { return copies().isEmpty(); }, 30000));
            window->close();
        }
        EXPECT_TRUE(copies().isEmpty());
        prompts.clearShown();
        start()->offerRecovery();
        EXPECT_TRUE(prompts.shown().isEmpty());
    }
}

// いいえ sets the copy aside, whole; a copy that cannot be read is told and set aside;
// neither is offered again.
TEST_F(Recovery, DeclinedAndDamagedCopiesAreSetAside)
{
    {
        auto window = start(Forever);
        session(*window, 4);
        window->close();
    }
    prompts.queueAnswer(AnswerNo);
    start()->offerRecovery();
    QFile declined(QDir(folder()).filePath(QStringLiteral("set-aside.dat")));
    ASSERT_TRUE(declined.open(QIODevice::ReadOnly));
    const QByteArray declinedBytes = declined.readAll();
    const ResultOf<RecoverySnapshot> kept = recoverySnapshotOf(declinedBytes);
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->content.lines.front().tag, QStringLiteral("[00:01:23]"));

    for (const QByteArray& damaged : {QByteArray("garbage"), QByteArray(), declinedBytes.left(100)}) {
        writeFile("state/recovery-1-abc.dat", damaged);
        prompts.clearShown();
        auto window = start();
        const QStringList fresh = windowState(*window);
        window->offerRecovery();
        ASSERT_EQ(prompts.messages().size(), 1);
        EXPECT_TRUE(prompts.messages().front().contains(QStringLiteral("は復元できません")));
        EXPECT_EQ(prompts.shown().size(), 1);
        EXPECT_EQ(windowState(*window), fresh);
        EXPECT_TRUE(copies().isEmpty());
        EXPECT_TRUE(QFile::exists(QDir(folder()).filePath(QStringLiteral("damaged.dat"))));
    }
}

// A second program started while the first runs leaves the first's copy alone and writes its own.
TEST_F(Recovery, ARunningProgramsCopyIsNotOffered)
{
    auto first = start(10);
    session(*first, 4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return copyHolds(*first); }, 30000));
    const QStringList firstCopy = copies();

    const ChildOutcome second = runInChild([&](ChildReport& out) {
        auto window = start(10);
        prompts.clearShown();
        window->offerRecovery();
        out.report(QStringLiteral("shown %1").arg(prompts.shown().size()));
        sheetOf(*window).document().editCell(0, 1, QStringLiteral("typed"));
        if (!QTest::qWaitFor([&] { return copies().size() == 2; }, 30000))
            out.report(QStringLiteral("no copy of its own"));
        out.report(copies().join(u' '));
    });
    ASSERT_TRUE(second.exited) << second.describe();
    ASSERT_EQ(second.lines.size(), 2);
    EXPECT_EQ(second.lines[0], QStringLiteral("shown 0"));
    EXPECT_EQ(second.lines[1].split(u' ').size(), 2);
    EXPECT_TRUE(second.lines[1].split(u' ').contains(firstCopy.value(0)));
    EXPECT_TRUE(copyHolds(*first, firstCopy.value(0)));
}

}  // namespace
