// Measures the recovery copy of 32,766 lyric lines: the snapshot the window takes on
// its own thread, the copy's bytes and its safe write (a new file, synced, renamed over
// the old one) on the writer's thread, beside QSaveFile writing as many bytes; then the
// time a stamp takes, from the click until the window has handled everything it set
// off, in a window that keeps a copy after every stamp (no interval: the writer is
// always busy) against a window that keeps none, stamped in turns in one process.
//
// Usage: recovery_bench [folder for the copies] [stamps]; the folder should lie on the
// disk the user's state folder lies on.
#include "bench_timing.h"
#include "document/recovery_snapshot.h"
#include "shell/main_window.h"
#include "quiet_engine.h"
#include "sheet/lyrics_sheet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace lyricue {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 32766;
constexpr int kRuns = 21;

class SilentPrompts : public Prompts {
public:
    // The quiet engine refuses the engine options ("error"); anything else is printed.
    void showMessage(const QString& text) override
    {
        if (text != QStringLiteral("error"))
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    int askYesNoCancel(const QString&) override { return AnswerYes; }
    int askYesNo(const QString&) override { return AnswerYes; }
    bool showOpenDialog(FileDialogSettings&) override { return false; }
    bool showSaveDialog(FileDialogSettings&) override { return false; }
};

using bench_timing::quantile;
using bench_timing::timeMs;

double medianMs(const std::function<void()>& work)
{
    return bench_timing::medianMs(work, kRuns);
}

bool saveBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QByteArray lyricsFileBytes()
{
    const char16_t* const texts[] = {u"夜明けの空に 君の声が響く", u"Oh yeah 走り出せ", u"",
                                     u"忘れないで この街の灯り", u"ラララ 明日へ"};
    QString text;
    for (int line = 0; line < kLines; ++line) {
        const int centis = line * 317;
        text += QString::asprintf("[%02d:%02d:%02d]", centis / 6000, centis / 100 % 60, centis % 100);
        text += QStringView(texts[line % 5]);
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

struct Stamps {
    std::vector<double> plain;
    std::vector<double> kept;
};

void printStamps(const char* what, const std::vector<double>& times)
{
    std::printf("  %-22s median %6.3f ms   p95 %6.3f ms   p99 %6.3f ms   largest %7.3f ms\n", what,
                quantile(times, 0.5), quantile(times, 0.95), quantile(times, 0.99), quantile(times, 1.0));
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int stamps = argc > 2 ? std::atoi(argv[2]) : 400;
    QTemporaryDir dir(QDir(base).filePath(QStringLiteral("recovery_bench-XXXXXX")));
    const QString lyricsPath = dir.filePath(QStringLiteral("song.txt"));
    if (!dir.isValid() || !saveBytes(lyricsPath, lyricsFileBytes())) {
        std::fprintf(stderr, "cannot write in %s\n", qPrintable(base));
        return 1;
    }

    QuietEngine engine;
    SilentPrompts prompts;
    MainWindow plain(engine, prompts);
    MainWindow kept(engine, prompts);
    kept.keepRecoveryCopies(dir.filePath(QStringLiteral("state")), 0);
    for (MainWindow* window : {&plain, &kept}) {
        window->show();
        window->openGivenFile(lyricsPath);
        QCoreApplication::processEvents();
    }
    const LyricsDocument& document = kept.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"))->document();
    if (document.lineRows() != kLines) {
        std::fprintf(stderr, "the lyrics did not load\n");
        return 1;
    }

    std::printf("recovery copy of %d lines, written under %s\n", kLines, qPrintable(base));
    RecoverySnapshot snapshot;
    const double snapshotMs = medianMs([&] { snapshot = snapshotOf(document); });
    QByteArray bytes;
    const double bytesMs = medianMs([&] { bytes = recoveryBytes(snapshot); });
    const double readMs = medianMs([&] { static_cast<void>(recoverySnapshotOf(bytes)); });
    const QString copyPath = dir.filePath(QStringLiteral("copy.dat"));
    const QString rawPath = dir.filePath(QStringLiteral("raw.dat"));
    const QByteArray raw(bytes.size(), 'x');
    std::vector<double> writes;
    std::vector<double> rawWrites;
    for (int run = 0; run < kRuns; ++run) {
        rawWrites.push_back(timeMs([&] { saveBytes(rawPath, raw); }));
        writes.push_back(timeMs([&] { saveBytes(copyPath, recoveryBytes(snapshotOf(document))); }));
    }
    const double writeMs = quantile(writes, 0.5);
    const double rawMs = quantile(rawWrites, 0.5);
    std::printf("  snapshot on the window's thread   %7.3f ms\n", snapshotMs);
    std::printf("  copy's bytes (%lld bytes)       %7.3f ms   read back %7.3f ms\n",
                static_cast<long long>(bytes.size()), bytesMs, readMs);
    std::printf("  whole write on the writer's thread %7.3f ms   QSaveFile alone %7.3f ms   ratio %5.2f\n", writeMs,
                rawMs, writeMs / rawMs);

    // Stamps in turns, each followed by all the events it set off (the snapshot among them).
    Stamps times;
    auto* plainButton = plain.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn"));
    auto* keptButton = kept.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn"));
    // Each write renames a new file over the copy: its inode number and time of change
    // count the writes seen.
    const QDir state(dir.filePath(QStringLiteral("state")));
    std::set<std::tuple<ino_t, time_t, long>> copies;
    const auto stampMs = [](QPushButton* button) {
        return timeMs([button] {
            button->click();
            QCoreApplication::processEvents();
        });
    };
    for (int stamp = 0; stamp < stamps; ++stamp) {
        times.plain.push_back(stampMs(plainButton));
        times.kept.push_back(stampMs(keptButton));
        const QStringList found = state.entryList({QStringLiteral("recovery-*.dat")}, QDir::Files);
        struct stat status {};
        if (!found.isEmpty() && ::stat(QFile::encodeName(state.filePath(found.front())).constData(), &status) == 0)
            copies.insert({status.st_ino, status.st_mtim.tv_sec, status.st_mtim.tv_nsec});
    }
    std::printf("%d stamps each, in turns; copies seen written meanwhile: at least %zu\n", stamps, copies.size());
    printStamps("no copy kept", times.plain);
    printStamps("copy after every stamp", times.kept);
    std::printf("  ratio of medians %5.2f   of p95 %5.2f   of p99 %5.2f\n",
                quantile(times.kept, 0.5) / quantile(times.plain, 0.5),
                quantile(times.kept, 0.95) / quantile(times.plain, 0.95),
                quantile(times.kept, 0.99) / quantile(times.plain, 0.99));
    kept.finishRecovery();
    return copies.empty() ? 1 : 0;
}

