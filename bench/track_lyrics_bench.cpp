// Writing lyrics into a 60-minute FLAC with cover art, beside copying the same file:
// the write copies the track, changes the copy's tags, compares its audio with the
// original's, syncs the copy to the disk and renames it, so copying and syncing the copy
// is its floor. Needs the ffmpeg and metaflac
// programs to make the track (once, in a temporary folder, or pass a FLAC file).
//
//   track_lyrics_bench [track.flac]
#include "audio/track_lyrics.h"
#include "bench_timing.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

using namespace lyricue;

namespace {

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// 60 minutes of stereo pink noise at 44.1 kHz (about as dense as music for FLAC) with
// a 600 x 600 front cover.
bool makeTrack(const QString& folder, const QString& track)
{
    const QString cover = folder + QStringLiteral("/cover.png");
    return run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                          QStringLiteral("lavfi"), QStringLiteral("-i"),
                                          QStringLiteral("anoisesrc=d=3600:c=pink:a=0.2:r=44100"),
                                          QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-metadata"),
                                          QStringLiteral("title=Bench"), track}) &&
           run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                          QStringLiteral("lavfi"), QStringLiteral("-i"),
                                          QStringLiteral("testsrc=s=600x600:d=1"), QStringLiteral("-frames:v"),
                                          QStringLiteral("1"), cover}) &&
           run(QStringLiteral("metaflac"), {QStringLiteral("--import-picture-from=") + cover, track});
}

TrackLyrics benchLyrics(int variant)
{
    TrackLyrics lyrics;
    QStringList lines;
    for (int line = 0; line < 80; ++line) {
        const qint64 ms = line * 45'000LL + variant * 10;
        const QString text = QStringLiteral("夏の夜の歌 %1 行目").arg(line + 1);
        lyrics.timedLines.push_back({ms, text});
        lines << QStringLiteral("[%1:%2.%3]")
                         .arg(ms / 60000, 2, 10, QLatin1Char('0'))
                         .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                         .arg(ms / 10 % 100, 2, 10, QLatin1Char('0')) +
                     text;
    }
    lyrics.text = lines.join(u'\n');
    return lyrics;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    QString track = folder.filePath(QStringLiteral("hour.flac"));
    if (argc > 1) {
        if (!QFile::copy(QString::fromLocal8Bit(argv[1]), track))
            return 1;
    } else {
        if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("metaflac")).isEmpty()) {
            std::puts("track_lyrics_bench: needs ffmpeg and metaflac to make the track (or give a FLAC file)");
            return 0;
        }
        std::puts("making a 60-minute FLAC with a cover ...");
        if (!makeTrack(folder.path(), track))
            return 1;
    }
    const QString copy = folder.filePath(QStringLiteral("copy.flac"));
    const auto copyOnce = [&] {
        std::filesystem::copy_file(QFile::encodeName(track).toStdString(), QFile::encodeName(copy).toStdString(),
                                   std::filesystem::copy_options::overwrite_existing);
    };
    // The copy put on the disk, as the write must before its rename: the floor of a safe write.
    const auto copyAndSync = [&] {
        copyOnce();
        QFile file(copy);
        if (file.open(QIODevice::ReadOnly))
            ::fsync(file.handle());
    };
    copyOnce();  // the file in the page cache for both
    int variant = 0;
    bool failed = false;
    const auto writeOnce = [&] {
        const Result written = writeTrackLyrics(track, benchLyrics(++variant));
        if (!written.ok()) {
            std::printf("%s\n", qPrintable(written.errorString()));
            failed = true;
        }
    };
    constexpr int Runs = 5;
    std::vector<double> copies, syncedCopies, writes;
    for (int run = 0; run < Runs; ++run) {
        copies.push_back(bench_timing::timeMs(copyOnce));
        syncedCopies.push_back(bench_timing::timeMs(copyAndSync));
        writes.push_back(bench_timing::timeMs(writeOnce));
    }
    if (failed)
        return 1;
    const double copyMs = bench_timing::median(copies);
    const double syncedCopyMs = bench_timing::median(syncedCopies);
    const double writeMs = bench_timing::median(writes);
    std::printf("track: %.0f MB, 60 min FLAC with cover; median of %d runs each\n",
                QFileInfo(track).size() / 1e6, Runs);
    std::printf("copying the file:                  %8.1f ms\n", copyMs);
    std::printf("copying it and syncing the copy:   %8.1f ms\n", syncedCopyMs);
    std::printf("writing the lyrics:                %8.1f ms (%.2f x the synced copy)\n", writeMs,
                writeMs / syncedCopyMs);
    std::printf("write beyond the synced copy:      %8.1f ms\n", writeMs - syncedCopyMs);
    return 0;
}
