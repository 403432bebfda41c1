// The recovery copy through the real window: a program closed with unsaved stamps
// gives them back whole at the next start; saved lines leave nothing to ask; a
// declined or damaged copy is set aside.
#include "shell/recovery_fixture.h"

#include <functional>

namespace lyricue {

namespace {

// Closed with unsaved stamps: nothing asked then, everything offered at the next start.
TEST_F(RecoveryTest, ClosedUnsavedComesBackAtTheNextStart)
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
TEST_F(RecoveryTest, SavedLinesLeaveNothingToAsk)
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
TEST_F(RecoveryTest, DeclinedAndDamagedCopiesAreSetAside)
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

// A copy that its program was killed in the middle of writing is cleared away, unasked.
TEST_F(RecoveryTest, AnUnfinishedWriteOfAGoneProgramIsRemoved)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    writeFile("state/recovery-7-abc.dat.Xy12Ab", "half a copy");
    start()->offerRecovery();
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(folder()).filePath(QStringLiteral("recovery-7-abc.dat.Xy12Ab"))));
}

}  // namespace

}  // namespace lyricue
