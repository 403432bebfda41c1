#include "format_bench.h"

#include "audio/decoder_factory.h"

#include <QDir>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <random>
#include <cstdio>
#include <vector>

namespace lyricue {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// `seconds` of the source looped, encoded by ffmpeg with `codec` arguments.
bool encode(const QString& source, double seconds, const QStringList& codec, const QString& target)
{
    QStringList arguments{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                          QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"), source,
                          QStringLiteral("-t"), QString::number(seconds)};
    arguments += codec;
    arguments.append(target);
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

// Median of 7 opens, after one that loads the module; the first is given apart.
std::pair<double, double> openTimes(const QString& path, double& lengthSeconds)
{
    std::vector<double> times;
    double first = 0;
    for (int round = 0; round < 8; ++round) {
        const auto start = Clock::now();
        ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path);
        const double ms = millisecondsSince(start);
        if (!opened.ok())
            return {0, 0};
        lengthSeconds = double(opened.value()->lengthFrames()) / opened.value()->sampleRate();
        if (round == 0)
            first = ms;
        else
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return {first, times[times.size() / 2]};
}

// Seconds of audio per second of work, the whole file through read().
double decodeSpeed(const QString& path)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path);
    if (!opened.ok())
        return 0;
    Decoder& decoder = *opened.value();
    std::vector<float> buffer(2 * 4096);
    std::int64_t frames = 0;
    const auto start = Clock::now();
    for (int got; (got = decoder.read(buffer.data(), 4096)) > 0;)
        frames += got;
    return double(frames) / decoder.sampleRate() / (millisecondsSince(start) / 1000);
}

// Seeks to 100 random frames of a track (fixed seed), each timed with the read of the
// first 1024 frames after it, as the decoding thread does; median and largest in ms.
std::pair<double, double> seekTimes(const QString& path)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path);
    if (!opened.ok())
        return {0, 0};
    Decoder& decoder = *opened.value();
    std::mt19937 random(5);
    std::vector<float> buffer(2 * 1024);
    std::vector<double> times;
    for (int i = 0; i < 100; ++i) {
        const std::int64_t target = std::uniform_int_distribution<std::int64_t>(0, decoder.lengthFrames() - 1024)(random);
        const auto start = Clock::now();
        if (!decoder.seek(target).ok() || decoder.read(buffer.data(), 1024) != 1024)
            return {0, 0};
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

}  // namespace

namespace format_bench {

bool run(const QString& noiseWav, const QString& mp3, const QString& folder)
{
    const QDir dir(folder);
    struct Format {
        const char* name;
        const char* file;
        QStringList codec;
    };
    const std::vector<Format> formats = {
        {"FLAC", "a.flac", {QStringLiteral("-c:a"), QStringLiteral("flac")}},
        {"AAC in M4A 128k", "a.m4a", {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("128k")}},
        {"Ogg Vorbis q3", "a.ogg", {QStringLiteral("-c:a"), QStringLiteral("libvorbis"), QStringLiteral("-q:a"), QStringLiteral("3")}},
        {"Opus 96k", "a.opus", {QStringLiteral("-c:a"), QStringLiteral("libopus"), QStringLiteral("-b:a"), QStringLiteral("96k")}},
        {"WAV 16-bit", "a.wav", {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")}},
    };
    bool met = true;
    std::printf("Other formats: open of 60-minute stereo 44.1 kHz tracks through openDecoderFor\n");
    for (const Format& format : {formats[0], formats[1], formats[2], formats[3]}) {
        const QString path = dir.filePath(QStringLiteral("long_") + QLatin1String(format.file));
        if (!encode(noiseWav, 3600, format.codec, path)) {
            std::printf("  %-16s cannot be made with ffmpeg\n", format.name);
            met = false;
            continue;
        }
        double length = 0;
        const auto [first, median] = openTimes(path, length);
        const bool ok = median > 0 && median < 50;
        met = met && ok;
        std::printf("  %-16s median of 7 %7.2f ms (first, loading the module: %.2f ms), length %.1f min"
                    "   < 50 ms: %s\n",
                    format.name, median, first, length / 60, ok ? "met" : "MISSED");
    }
    std::printf("Decoding 60 s through read(), times real time\n");
    for (const Format& format : formats) {
        const QString path = dir.filePath(QLatin1String(format.file));
        if (!encode(noiseWav, 60, format.codec, path)) {
            std::printf("  %-16s cannot be made with ffmpeg\n", format.name);
            met = false;
            continue;
        }
        const double speed = decodeSpeed(path);
        met = met && speed > 200;
        std::printf("  %-16s %8.0f x   > 200 x: %s\n", format.name, speed, speed > 200 ? "met" : "MISSED");
    }
    std::printf("  %-16s %8.0f x   (the MP3 source, mpg123, for comparison)\n", "MP3", decodeSpeed(mp3));
    std::printf("Seek to a random frame and read 1024 frames, 60 s tracks, 100 seeks: median, largest\n");
    const auto [mp3Median, mp3Largest] = seekTimes(mp3);
    for (const Format& format : formats) {
        const auto [median, largest] = seekTimes(dir.filePath(QLatin1String(format.file)));
        const bool ok = largest > 0 && largest < 20;
        met = met && ok;
        std::printf("  %-16s %6.2f ms %6.2f ms   median %.1f x MP3's   largest < 20 ms: %s\n", format.name, median, largest,
                    mp3Median > 0 ? median / mp3Median : 0.0, ok ? "met" : "MISSED");
    }
    std::printf("  %-16s %6.2f ms %6.2f ms   (the MP3 source, mpg123, for comparison)\n\n", "MP3", mp3Median, mp3Largest);
    return met;
}

}  // namespace format_bench

}  // namespace lyricue
