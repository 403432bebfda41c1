// The recovery copy when the program is killed, or terminated as a session ends, in
// the middle of a session, and when a second program starts while the first runs.
#include "shell/child_process.h"
#include "shell/recovery_fixture.h"
#include "shell/termination_signals.h"

#include <csignal>

namespace lyricue {

namespace {

using RecoveryFault = RecoveryTest;

// Killed once the copy caught up, or terminated (a session ending) with the last
// stamps still waiting for the interval: both come back whole.
TEST_F(RecoveryFault, KilledOrTerminatedMidSessionComesBackWhole)
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

// A second program started while the first runs leaves the first's copy alone and writes its own.
TEST_F(RecoveryFault, ARunningProgramsCopyIsNotOffered)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer starts no thread in a child forked while the first window's writer runs";
#endif
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
    ASSERT_TRUE(second.exited && second.exitCode == 0) << second.describe();
    ASSERT_EQ(second.lines.size(), 2);
    EXPECT_EQ(second.lines[0], QStringLiteral("shown 0"));
    EXPECT_EQ(second.lines[1].split(u' ').size(), 2);
    EXPECT_TRUE(second.lines[1].split(u' ').contains(firstCopy.value(0)));
    EXPECT_TRUE(copyHolds(*first, firstCopy.value(0)));
}

}  // namespace

}  // namespace lyricue
