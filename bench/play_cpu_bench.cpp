// CPU time while playing: the real window over the real engine plays an MP3 on SDL's
// dummy driver, with the play clock (200 ms) and the state timer (1 s) running, as
// after a press of "再生". Prints user + system time of the whole process (all its
// threads) over the playing time, as a share of one core, beside the same window
// standing idle with no track, and at 50 % speed. Targets: under 2 % while playing,
// under 5 % at 50 %.
// With --timeline it then opens the timeline panel (waveform, markers, the play position
// moving every frame) and plays as long again. Target: under 5 % with the panel open.
//
// Usage: play_cpu_bench track.mp3 [seconds, default 20] [--timeline].
// scripts/bench_play_cpu.sh and scripts/bench_timeline_cpu.sh make a 128 kbit/s track
// with sox and lame.
#include "cpu_share.h"
#include "audio/playback_engine.h"
#include "shell/command_keys.h"
#include "shell/main_window.h"
#include "base/prompts.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lyricue {

namespace {

using cpu_share::cpuPercentOver;
using cpu_share::click;
using cpu_share::TrackPrompts;

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char* argv[])
{
    cpu_share::useQuietPlatform();
    // The window keeps its speed and whether the timeline shows in the settings: a folder
    // of this run's own, so that the user's settings play no part.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: play_cpu_bench track.mp3 [seconds]\n");
        return 2;
    }
    const QString track = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    const bool withTimeline = argc > 3 && std::strcmp(argv[3], "--timeline") == 0;

    PlaybackEngine engine;
    TrackPrompts prompts(track);
    MainWindow window(engine, prompts);
    window.show();
    double idleWall = 0;
    cpuPercentOver(500, idleWall);  // start-up settles, first paint
    const double idle = cpuPercentOver(5000, idleWall);

    click(window, CommandKey::Open);
    click(window, CommandKey::Play);
    std::int32_t position = 0;
    auto* playClock = window.findChild<QTimer*>(QStringLiteral("Play_timer"));
    if (engine.vbmp3_getState(position) != EnginePlaying || !playClock->isActive()) {
        std::fprintf(stderr, "play_cpu_bench: %s does not play\n", argv[1]);
        return 1;
    }
    double playWall = 0;
    const double playing = cpuPercentOver(seconds * 1000, playWall);
    const double heard = engine.vbmp3_getWinampPlayMs() / 1000.0;
    double timelineWall = 0;
    double withPanel = 0;
    if (withTimeline) {
        window.findChild<QAction*>(QStringLiteral("timeline_shown"))->trigger();
        withPanel = cpuPercentOver(seconds * 1000, timelineWall);
    }
    if (engine.vbmp3_getState(position) != EnginePlaying) {
        std::fprintf(stderr, "play_cpu_bench: the track ended before %d s\n", withTimeline ? 2 * seconds : seconds);
        return 1;
    }
    // The same at half speed, through the time stretcher (loaded here, outside the figure).
    engine.setPlaybackSpeed(50);
    double slowWall = 0;
    cpuPercentOver(500, slowWall);
    const double slowFrom = engine.vbmp3_getWinampPlayMs() / 1000.0;
    const double slow = cpuPercentOver(seconds * 1000, slowWall);
    const double slowHeard = engine.vbmp3_getWinampPlayMs() / 1000.0 - slowFrom;
    click(window, CommandKey::Stop);

    std::printf("idle window, no track    %5.1f s wall   %6.2f %% of one core\n", idleWall, idle);
    std::printf("playing (%4.1f s heard)   %5.1f s wall   %6.2f %% of one core   (target < 2 %%: %s)\n", heard,
                playWall, playing, playing < 2.0 ? "met" : "MISSED");
    std::printf("at 50 %% (%4.1f s of track) %5.1f s wall   %6.2f %% of one core   (target < 5 %%: %s)\n", slowHeard,
                slowWall, slow, slow < 5.0 ? "met" : "MISSED");
    if (withTimeline)
        std::printf("playing, timeline open   %5.1f s wall   %6.2f %% of one core   (target < 5 %%: %s)\n",
                    timelineWall, withPanel, withPanel < 5.0 ? "met" : "MISSED");
    window.close();
    return 0;
}

