// CPU time of the five-line display while a line timed word by word is sung: the real
// window over the real engine plays an MP3 on SDL's dummy driver with the play clock
// running, first with a lyrics file of plain lines (the baseline), then with the same
// lines timed segment by segment (the middle label's wipe moving), alternately, two
// rounds of each. Prints user + system time of the whole process over each run as a
// share of one core, and the ratio of the wiped runs to the plain ones. Target: under
// 3 % of one core with the wipe.
//
// Usage: display_cpu_bench track.mp3 [seconds per run, default 10]; the track must last
// four runs. scripts/bench_display_cpu.sh makes one with sox and lame.
#include "cpu_share.h"
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "shell/main_window.h"
#include "base/prompts.h"
#include "display/wipe_label.h"
#include "text/time_tag.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace lyricue {

namespace {

using cpu_share::cpuPercentOver;
using cpu_share::click;
using cpu_share::TrackPrompts;

// A line every 2 s over `seconds`, each of eight kana; timed word by word, each kana
// has its own time 250 ms after the one before.
bool writeLyrics(const QString& path, int seconds, bool wiped)
{
    static const QString kana = QStringLiteral("あさのひかりがさす");
    QString text;
    for (qint64 lineMs = 0; lineMs < seconds * 1000LL; lineMs += 2000) {
        text += time_tag::format(lineMs);
        for (int k = 0; k < 8; ++k) {
            if (wiped && k > 0)
                text += time_tag::format(lineMs + 250 * k);
            text += kana[k];
        }
        text += QStringLiteral("\r\n");
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char* argv[])
{
    cpu_share::useQuietPlatform();
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: display_cpu_bench track.mp3 [seconds per run]\n");
        return 2;
    }
    const QString track = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const QString plain = work.filePath(QStringLiteral("plain.txt"));
    const QString wiped = work.filePath(QStringLiteral("wiped.txt"));
    if (!writeLyrics(plain, 4 * seconds + 10, false) || !writeLyrics(wiped, 4 * seconds + 10, true)) {
        std::fprintf(stderr, "display_cpu_bench: cannot write the lyrics files\n");
        return 1;
    }

    PlaybackEngine engine;
    TrackPrompts prompts(track);
    MainWindow window(engine, prompts);
    window.show();
    cpuPercentOver(500);  // start-up settles, first paint
    click(window, CommandKey::Open);
    click(window, CommandKey::Play);
    std::int32_t position = 0;
    if (engine.vbmp3_getState(position) != EnginePlaying) {
        std::fprintf(stderr, "display_cpu_bench: %s does not play\n", argv[1]);
        return 1;
    }
    double plainSum = 0;
    double wipedSum = 0;
    for (int round = 1; round <= 2; ++round) {
        engine.vbmp3_setLyricsFile(plain);
        const double plainShare = cpuPercentOver(seconds * 1000);
        engine.vbmp3_setLyricsFile(wiped);
        const double wipedShare = cpuPercentOver(seconds * 1000);
        // The wiped run counts only if the middle label showed a sung part.
        const auto* middle = window.findChild<WipeLabel*>(QStringLiteral("Lbl_1"));
        if (!middle || !middle->sungExtent()) {
            std::fprintf(stderr, "display_cpu_bench: no wipe on the middle label\n");
            return 1;
        }
        std::printf("round %d: plain lines %6.2f %%, wiped lines %6.2f %% of one core\n", round, plainShare,
                    wipedShare);
        plainSum += plainShare;
        wipedSum += wipedShare;
    }
    if (engine.vbmp3_getState(position) != EnginePlaying) {
        std::fprintf(stderr, "display_cpu_bench: the track ended before %d s\n", 4 * seconds);
        return 1;
    }
    click(window, CommandKey::Stop);
    const double wipedMean = wipedSum / 2;
    std::printf("playing with the wipe %6.2f %% of one core (target < 3 %%: %s); wiped / plain = %.2f\n", wipedMean,
                wipedMean < 3.0 ? "met" : "MISSED", plainSum > 0 ? wipedSum / plainSum : 0.0);
    window.close();
    return 0;
}
