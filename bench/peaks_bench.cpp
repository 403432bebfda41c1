// The waveform's peaks of a track against decoding it alone, in the same process: the
// peaks are computed on PeakScan's thread from a decoder of their own, as the timeline
// does; the baseline reads the same track through the same kind of decoder and does
// nothing with the frames. Runs alternate; each figure is the best of its runs.
// Target: the peaks take at most 1.5 times the decoding alone.
//
// Usage: peaks_bench track.mp3 [runs, default 3]. scripts/bench_peaks.sh makes a
// 60-minute 128 kbit/s track with sox and lame.
#include "audio/peak_decoder.h"
#include "audio/peak_scan.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace lyricue {

namespace {

// Seconds to open and decode the whole track; frames decoded in `frames`.
double decodeAlone(const QString& path, std::int64_t& frames)
{
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<Decoder> decoder = openPeakDecoder(path);
    if (!decoder)
        return -1;
    std::vector<float> samples(4096 * 2);
    frames = 0;
    while (const int read = decoder->read(samples.data(), 4096))
        frames += read;
    return double(timer.nsecsElapsed()) / 1e9;
}

double peaksOf(const QString& path, std::int64_t& blocks)
{
    QElapsedTimer timer;
    timer.start();
    PeakScan scan(path, openPeakDecoder);
    while (!scan.finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    blocks = scan.state() == PeakScan::State::Complete ? scan.peaks()->blockCount() : -1;
    return seconds;
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: peaks_bench track.mp3 [runs]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    double bestDecode = 1e9;
    double bestPeaks = 1e9;
    std::int64_t frames = 0;
    std::int64_t blocks = 0;
    for (int run = 0; run < runs; ++run) {
        const double decode = decodeAlone(path, frames);
        const double peaks = peaksOf(path, blocks);
        if (decode < 0 || blocks < 0) {
            std::fprintf(stderr, "peaks_bench: %s does not decode\n", argv[1]);
            return 1;
        }
        std::printf("run %d: decoding alone %6.2f s   peaks %6.2f s\n", run + 1, decode, peaks);
        bestDecode = std::min(bestDecode, decode);
        bestPeaks = std::min(bestPeaks, peaks);
    }
    const double ratio = bestPeaks / bestDecode;
    std::printf("%lld frames, %lld blocks of %d frames\n", static_cast<long long>(frames),
                static_cast<long long>(blocks), WaveformPeaks::BlockFrames);
    std::printf("best: decoding alone %.2f s, peaks %.2f s, ratio %.2f (target <= 1.5: %s)\n", bestDecode, bestPeaks,
                ratio, ratio <= 1.5 ? "met" : "MISSED");
    return 0;
}

