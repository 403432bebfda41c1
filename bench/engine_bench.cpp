// Measures the engine: opening a 60-minute MP3 with and without a Xing header, decoding
// speed, how smoothly the play clock runs on SDL's dummy driver and on a device with
// scripted jitter, how soon a seek's first frame is ready, and, on a private PulseAudio
// and PipeWire server, the clock's error against the frame played and the underruns
// under load. Each figure is printed beside its target and, where there is one, beside
// the same work done with bare mpg123 in this process.
//
// Usage: engine_bench [source.mp3], or engine_bench --servers [seconds under load
// [PulseAudio|PipeWire]] for the sound servers alone. Without a source, 10 s of stereo noise is encoded at 128
// kbit/s with sox and lame. The 60-minute files are the source's frames repeated
// in a temporary folder; the 320 kbit/s one is made from the same noise.
#include "bench_timing.h"
#include "audio/mp3_decoder.h"
#include "audio/playback_engine.h"
#include "audio/playback_settings.h"
#include "audio/sdl_output.h"
#include "audio/stream_layout.h"
#include "support/generated_sources.h"
#include "format_bench.h"
#include "server_bench.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <mpg123.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace lyricue {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double kTrackSeconds = 3600;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using bench_timing::median;

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void putBigEndian32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// The two 60-minute files: the source's audio frames repeated, once behind the source's
// own Info frame (its frame and byte counts rewritten), once with no header at all.
struct LongTracks {
    QString withXing;
    QString withoutXing;
    double seconds = 0;
};

bool makeLongTracks(const QString& source, const QString& folder, LongTracks& tracks)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const auto layout = StreamLayout::read(file);
    if (!layout || !layout->hasXing || !layout->xingFrames || layout->firstFrame < 0) {
        std::fprintf(stderr, "the source needs a Xing/Info header with a frame count\n");
        return false;
    }
    const QByteArray bytes = readFile(source);
    const qsizetype infoAt = layout->firstFrame;
    const qsizetype infoBytes = layout->firstHeader.frameBytes();
    const qsizetype audioEnd = layout->hasId3v1 ? bytes.size() - 128 : bytes.size();
    const QByteArray audio = bytes.mid(infoAt + infoBytes, audioEnd - infoAt - infoBytes);
    const double sourceSeconds =
        double(*layout->xingFrames) * layout->firstHeader.samplesPerFrame() / layout->firstHeader.sampleRate;
    const int copies = static_cast<int>(std::ceil(kTrackSeconds / sourceSeconds));

    QByteArray body;
    body.reserve(audio.size() * copies);
    for (int i = 0; i < copies; ++i)
        body += audio;
    QByteArray info = bytes.mid(infoAt, infoBytes);
    const qsizetype tag = layout->firstHeader.xingOffset();
    putBigEndian32(info, tag + 8, *layout->xingFrames * copies);
    putBigEndian32(info, tag + 12, static_cast<std::uint32_t>(info.size() + body.size()));

    tracks.withXing = folder + QStringLiteral("/xing_60min.mp3");
    tracks.withoutXing = folder + QStringLiteral("/plain_60min.mp3");
    tracks.seconds = sourceSeconds * copies;
    return writeFile(tracks.withXing, info + body) && writeFile(tracks.withoutXing, body);
}

// Opening through the engine, and through bare mpg123 (open, format, length; a scan
// when there is no header).
struct OpenFigures {
    double engineMs = 0;
    double mpg123Ms = 0;
    std::int32_t lengthSeconds = 0;
};

OpenFigures measureOpen(const QString& path, bool scan)
{
    std::vector<double> engineTimes;
    std::vector<double> bareTimes;
    OpenFigures figures;
    // As the program opens: its engine's caller does not wait for the decoding thread.
    PlaybackEngine engine(PlaybackEngine::Output::Device);
    for (int round = 0; round < 7; ++round) {
        TrackOpenRecord info;
        const auto start = Clock::now();
        if (engine.vbmp3_open(path, info) != 1)
            return figures;
        engineTimes.push_back(millisecondsSince(start));
        figures.lengthSeconds = info.lengthSeconds;
        engine.vbmp3_close();

        const auto bareStart = Clock::now();
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        mpg123_open(handle, QFile::encodeName(path).constData());
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(handle, &rate, &channels, &encoding);
        if (scan)
            mpg123_scan(handle);
        mpg123_length(handle);
        bareTimes.push_back(millisecondsSince(bareStart));
        mpg123_delete(handle);
    }
    figures.engineMs = median(engineTimes);
    figures.mpg123Ms = median(bareTimes);
    return figures;
}

// Seconds of audio per second of work.
double decoderSpeed(const QString& path)
{
    Mp3Decoder decoder;
    if (!decoder.open(path, 128 * 1024).ok())
        return 0;
    std::vector<float> buffer(2 * 4096);
    std::int64_t frames = 0;
    const auto start = Clock::now();
    for (int got; (got = decoder.read(buffer.data(), 4096)) > 0;)
        frames += got;
    return double(frames) / decoder.info().sampleRate / (millisecondsSince(start) / 1000);
}

double bareMpg123Speed(const QString& path)
{
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_FLOAT_32);
    mpg123_open(handle, QFile::encodeName(path).constData());
    std::vector<unsigned char> buffer(2 * 4096 * sizeof(float));
    std::int64_t bytes = 0;
    const auto start = Clock::now();
    size_t done = 0;
    for (int result = MPG123_OK; result == MPG123_OK || result == MPG123_NEW_FORMAT;) {
        result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
        bytes += static_cast<std::int64_t>(done);
    }
    const double seconds = millisecondsSince(start) / 1000;
    mpg123_delete(handle);
    return double(bytes) / (2 * sizeof(float)) / 44100 / seconds;
}

// The whole track through the engine's render(), at the output rate the program asks for.
double renderSpeed(const QString& path, int outputRate)
{
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    DecodeOptionRecord options{0, 0, outputRate};
    engine.vbmp3_setDecodeOption(options);
    TrackOpenRecord info;
    if (engine.vbmp3_open(path, info) != 1)
        return 0;
    engine.vbmp3_play();
    std::vector<float> buffer(2 * 1024);
    std::int64_t frames = 0;
    const auto start = Clock::now();
    for (int got; (got = engine.render(buffer.data(), 1024)) > 0;)
        frames += got;
    return double(frames) / (outputRate ? outputRate : info.sampleRate) / (millisecondsSince(start) / 1000);
}

// Deviations of `values` from the straight line fitted to them over `times`.
struct LineFit {
    int count = 0;
    double rmsMs = 0;
    double largestMs = 0;
    int backwardSteps = 0;
    double slope = 0;
};

LineFit fitLine(const std::vector<double>& times, const std::vector<double>& values)
{
    LineFit fit;
    fit.count = static_cast<int>(times.size());
    if (times.size() < 2)
        return fit;
    const auto n = static_cast<double>(times.size());
    double meanTime = 0;
    double meanValue = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        meanTime += times[i] / n;
        meanValue += values[i] / n;
    }
    double covariance = 0;
    double variance = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        covariance += (times[i] - meanTime) * (values[i] - meanValue);
        variance += (times[i] - meanTime) * (times[i] - meanTime);
    }
    fit.slope = covariance / variance;
    double squares = 0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const double deviation = values[i] - (meanValue + fit.slope * (times[i] - meanTime));
        squares += deviation * deviation;
        fit.largestMs = std::max(fit.largestMs, std::fabs(deviation));
        if (i > 0 && values[i] < values[i - 1])
            ++fit.backwardSteps;
    }
    fit.rmsMs = std::sqrt(squares / n);
    return fit;
}

// getWinampPlayMs every 2 ms over 10 s of playback on the dummy driver, with the
// options the program sends.
LineFit measureClock(const QString& path, int outputRate)
{
    PlaybackEngine engine(PlaybackEngine::Output::Device);
    EngineOptionRecord engineOptions{128, 25, 20, 0};
    DecodeOptionRecord decodeOptions{0, 0, outputRate};
    engine.vbmp3_setVbmp3Option(engineOptions);
    engine.vbmp3_setDecodeOption(decodeOptions);
    TrackOpenRecord info;
    if (engine.vbmp3_open(path, info) != 1)
        return {};
    // As a user would take to press play: the decoding thread has the first frames ready.
    std::this_thread::sleep_for(100ms);
    if (engine.vbmp3_play() != 1)
        return {};
    std::vector<double> times;
    std::vector<double> positions;
    const auto start = Clock::now();
    for (auto next = start; next - start < 10s; next += 2ms) {
        std::this_thread::sleep_until(next);
        const std::int32_t ms = engine.vbmp3_getWinampPlayMs();
        times.push_back(millisecondsSince(start));
        positions.push_back(ms);
    }
    engine.vbmp3_stop();
    return fitLine(times, positions);
}

// The driver's own pace: when its callbacks come, over 10 s, against the milliseconds
// of sound they ask for. A clock that follows the device cannot be straighter.
class PaceFeed final : public OutputFeed {
public:
    explicit PaceFeed(Clock::time_point start)
        : m_start(start)
    {
        times.reserve(1000);
    }
    void pull(float* stereo, int frames) override
    {
        std::fill_n(stereo, std::size_t(frames) * 2, 0.0f);
        if (times.size() < times.capacity())
            times.push_back(millisecondsSince(m_start));
        m_handed += frames;
    }
    std::int64_t handed() const override { return m_handed; }
    void heard(TimePoint, double) override {}
    void restartTimeline() override {}

    std::vector<double> times;

private:
    Clock::time_point m_start;
    std::int64_t m_handed = 0;
};

LineFit measureDriverPace(int rate)
{
    const int frames = PlaybackSettings{}.bufferFramesAt(rate);
    PaceFeed feed(Clock::now());
    std::vector<double> times;
    {
        const auto output = SdlOutput::open(rate, frames, feed);
        if (!output.ok())
            return {};
        output.value()->resume();
        std::this_thread::sleep_for(10s);
    }
    times = feed.times;
    std::vector<double> asked(times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        asked[i] = 1000.0 * double(i) * frames / rate;
    return fitLine(times, asked);
}

// The engine's clock over a scripted device: callbacks `jitter` early or late at random,
// the device `speed` times its nominal rate, two blocks ahead of the listener. Errors
// against the frame heard, read every millisecond from 5 s on, over 40 s.
LineFit scriptedClock(double jitter, double speed, double& largestMs, int& backward)
{
    constexpr int kRate = 48000;
    constexpr int kBlock = 1024;
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    EngineOptionRecord options{128, 25, 0, 0};
    engine.vbmp3_setVbmp3Option(options);
    engine.openSource(std::make_unique<ToneSource>(kRate, 440.0, 42.0, 0.5f));
    engine.vbmp3_play();
    std::mt19937 random(11);
    std::uniform_real_distribution<double> offset(-jitter, jitter);
    std::vector<float> block(std::size_t(kBlock) * 2);
    const auto origin = Clock::time_point(1000s);
    const auto at = [&](double seconds) { return origin + std::chrono::nanoseconds(std::llround(seconds * 1e9)); };
    double squares = 0;
    int count = 0;
    largestMs = 0;
    backward = 0;
    std::int64_t last = 0;
    double reading = 0;
    for (int k = 0; k * kBlock < 40.0 * kRate * speed; ++k) {
        const double callback = (k * kBlock - 2.0 * kBlock) / (kRate * speed) + offset(random);
        for (; reading < callback; reading += 0.001) {
            const std::int64_t frame = engine.playFrameAt(at(reading));
            backward += frame < last ? 1 : 0;
            last = std::max(last, frame);
            const double errorMs = (double(frame) - std::max(0.0, reading * kRate * speed)) * 1000 / kRate;
            if (reading >= 5) {
                squares += errorMs * errorMs;
                largestMs = std::max(largestMs, std::fabs(errorMs));
                ++count;
            }
        }
        engine.renderAt(block.data(), kBlock, at(callback), 2.0 * kBlock);
    }
    LineFit fit;
    fit.count = count;
    fit.rmsMs = std::sqrt(squares / std::max(count, 1));
    return fit;
}

// Seeks to random seconds of a track playing on SDL's dummy driver, each timed to its
// first frame in the ring: one right after the open, while the seek index is still being
// built in the background, then `seeks` from a second later. Times in ms.
struct SeekFigures {
    double first = 0;
    double median = 0;
    double largest = 0;
};

SeekFigures seekToFirstFrame(const QString& path, int seeks)
{
    SeekFigures figures;
    PlaybackEngine engine(PlaybackEngine::Output::Device, {PlaybackEngine::Route::SdlOnly, {}});
    DecodeOptionRecord decodeOptions{0, 0, 48000};
    engine.vbmp3_setDecodeOption(decodeOptions);
    TrackOpenRecord info;
    if (engine.vbmp3_open(path, info) != 1 || engine.vbmp3_play() != 1)
        return figures;
    std::mt19937 random(3);
    const auto seekOnce = [&]() -> double {
        engine.vbmp3_seek(std::int32_t(random() % std::uint32_t(info.lengthSeconds)));
        const auto limit = Clock::now() + 2s;
        std::optional<std::chrono::nanoseconds> took;
        while (!(took = engine.lastStartToFirstFrame()) && Clock::now() < limit)
            std::this_thread::sleep_for(100us);
        return took ? std::chrono::duration<double, std::milli>(*took).count() : 2000;
    };
    figures.first = seekOnce();
    std::this_thread::sleep_for(1s);
    std::vector<double> times;
    for (int i = 0; i < seeks; ++i) {
        times.push_back(seekOnce());
        std::this_thread::sleep_for(30ms);
    }
    engine.vbmp3_stop();
    figures.median = median(times);
    figures.largest = *std::max_element(times.begin(), times.end());
    return figures;
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char** argv)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--servers") == 0)
        return server_bench::run(argc > 2 ? std::atof(argv[2]) : 60, argc > 3 ? argv[3] : nullptr) ? 0 : 2;
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;

    QString source;
    if (argc > 1) {
        source = QString::fromLocal8Bit(argv[1]);
    } else {
        const QString wav = folder.filePath(QStringLiteral("source.wav"));
        source = folder.filePath(QStringLiteral("source.mp3"));
        if (!run(QStringLiteral("sox"), {QStringLiteral("-R"), QStringLiteral("-n"), QStringLiteral("-r"),
                                         QStringLiteral("44100"), QStringLiteral("-c"), QStringLiteral("2"),
                                         QStringLiteral("-b"), QStringLiteral("16"), wav, QStringLiteral("synth"),
                                         QStringLiteral("10"), QStringLiteral("pinknoise"), QStringLiteral("vol"),
                                         QStringLiteral("0.3")})
            || !run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"),
                                             QStringLiteral("--resample"), QStringLiteral("44.1"), wav, source})) {
            std::fprintf(stderr, "engine_bench: making the source needs sox and lame; or name an MP3 source\n");
            return 1;
        }
    }
    LongTracks tracks;
    if (!makeLongTracks(source, folder.path(), tracks))
        return 1;
    // The same noise at 320 kbit/s, for the seeks.
    const QString noise = folder.filePath(QStringLiteral("noise.wav"));
    const QString source320 = folder.filePath(QStringLiteral("source320.mp3"));
    LongTracks tracks320;
    const QDir folder320(folder.filePath(QStringLiteral("320")));
    QDir(folder.path()).mkdir(QStringLiteral("320"));
    if (!run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), source, noise})
        || !run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("320"),
                                         QStringLiteral("--resample"), QStringLiteral("44.1"), noise, source320})
        || !makeLongTracks(source320, folder320.path(), tracks320))
        return 1;
    std::printf("Tracks: %.1f min, from %s\n\n", tracks.seconds / 60, QFile::encodeName(source).constData());

    const OpenFigures xing = measureOpen(tracks.withXing, false);
    const OpenFigures plain = measureOpen(tracks.withoutXing, true);
    std::printf("Open, median of 7        engine      bare mpg123  ratio   target\n");
    std::printf("  with Xing header     %8.2f ms  %8.2f ms  %5.2f   < 5 ms: %s (length %d s)\n", xing.engineMs,
                xing.mpg123Ms, xing.engineMs / xing.mpg123Ms, verdict(xing.engineMs < 5), xing.lengthSeconds);
    std::printf("  full scan, no header %8.2f ms  %8.2f ms  %5.2f   < 250 ms: %s (length %d s)\n\n", plain.engineMs,
                plain.mpg123Ms, plain.engineMs / plain.mpg123Ms, verdict(plain.engineMs < 250),
                plain.lengthSeconds);

    const double decoder = decoderSpeed(tracks.withXing);
    const double bare = bareMpg123Speed(tracks.withXing);
    const double rendered = renderSpeed(tracks.withXing, 48000);
    std::printf("Decoding, times real time\n");
    std::printf("  Mp3Decoder           %8.0f x (bare mpg123 %.0f x, ratio %.2f)   > 500 x: %s\n", decoder, bare,
                decoder / bare, verdict(decoder > 500));
    std::printf("  render() at 48 kHz   %8.0f x (decode, convert, volume)\n\n", rendered);

    // The dummy driver paces its callbacks with sleeps, so its own timeline wanders
    // from a straight line a little differently each run: a few rounds show the spread.
    bool clockMet = true;
    std::printf("Play clock over 10 s on the dummy driver, output 48 kHz, read every 2 ms;\n"
                "the driver's own callbacks measured right after, for its pace\n");
    for (int round = 1; round <= 3; ++round) {
        const LineFit clock = measureClock(tracks.withXing, 48000);
        const LineFit pace = measureDriverPace(48000);
        const bool met = clock.count > 0 && clock.rmsMs < 1 && clock.largestMs < 4 && clock.backwardSteps == 0;
        clockMet = clockMet && met;
        std::printf("  round %d: %d readings, rms %.3f ms, largest %.3f ms, %d backward steps, speed %.4f"
                    "  (rms < 1, largest < 4, none back: %s)\n",
                    round, clock.count, clock.rmsMs, clock.largestMs, clock.backwardSteps, clock.slope, verdict(met));
        std::printf("           driver alone: %d callbacks, rms %.3f ms, largest %.3f ms\n", pace.count, pace.rmsMs,
                    pace.largestMs);
    }

    std::printf("\nPlay clock on a scripted device (Output::Manual): block 1024 at 48 kHz, two blocks ahead;\n"
                "errors against the frame heard, read every 1 ms from 5 s to 40 s\n");
    bool scriptedMet = true;
    for (const auto& [jitter, speed] : {std::pair{0.010, 1.003}, std::pair{0.010, 0.997}, std::pair{0.001, 1.005}}) {
        double largest = 0;
        int backward = 0;
        const LineFit fit = scriptedClock(jitter, speed, largest, backward);
        const bool met = fit.rmsMs < 1 && largest < 4 && backward == 0;
        scriptedMet = scriptedMet && met;
        std::printf("  jitter +-%2.0f ms, device %+.1f %%: %d readings, rms %.3f ms, largest %.3f ms, %d backward"
                    "  (rms < 1, largest < 4, none back: %s)\n",
                    jitter * 1000, (speed - 1) * 100, fit.count, fit.rmsMs, largest, backward, verdict(met));
    }

    const SeekFigures seeks = seekToFirstFrame(tracks320.withXing, 200);
    const bool seeksMet = seeks.largest > 0 && seeks.largest < 20;
    std::printf("\nSeek to the first new frame in the ring, %.1f-minute 320 kbit/s file with a Xing header,\n"
                "playing on the dummy driver, to random seconds:\n"
                "  right after the open, seek index not built yet: %.2f ms\n"
                "  200 seeks from 1 s after the open: median %.2f ms, largest %.2f ms  (largest < 20 ms: %s)\n\n",
                tracks320.seconds / 60, seeks.first, seeks.median, seeks.largest, verdict(seeksMet));

    const bool formatsMet = format_bench::run(noise, tracks.withXing, folder.path());
    const bool serversMet = server_bench::run();
    const bool allMet = xing.engineMs < 5 && plain.engineMs < 250 && decoder > 500 && clockMet && scriptedMet
        && seeksMet && formatsMet && serversMet;
    return allMet ? 0 : 2;
}

