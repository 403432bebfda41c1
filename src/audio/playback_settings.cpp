#include "audio/playback_settings.h"

#include "audio/audio_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lyricue {

namespace {
bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}
}  // namespace

Result PlaybackSettings::apply(const EngineOptionRecord& options)
{
    if (!within(options.readBufferKb, 4, 4096) || !within(options.outputBufferMs, 5, 500)
        || !within(options.fadeInMs, 0, 1000) || options.reserved != 0)
        return Result::failure(QStringLiteral("再生の設定 (読み込み %1 KB、出力 %2 ms、フェード %3 ms、予備 %4) "
                                              "に受け付けられない値があります")
                                   .arg(options.readBufferKb)
                                   .arg(options.outputBufferMs)
                                   .arg(options.fadeInMs)
                                   .arg(options.reserved));
    readBufferKb = options.readBufferKb;
    outputBufferMs = options.outputBufferMs;
    fadeInMs = options.fadeInMs;
    return {};
}

Result PlaybackSettings::apply(const DecodeOptionRecord& options)
{
    if (!within(options.forceMono, 0, 1) || options.reserved != 0
        || (options.outputRate != 0 && !within(options.outputRate, 8000, 192000)))
        return Result::failure(QStringLiteral("復号の設定 (モノラル %1、出力 %2 Hz、予備 %3) に受け付けられない値があります")
                                   .arg(options.forceMono)
                                   .arg(options.outputRate)
                                   .arg(options.reserved));
    forceMono = options.forceMono == 1;
    outputRate = options.outputRate;
    return {};
}

int PlaybackSettings::outputRateFor(int trackRate) const
{
    return outputRate != 0 ? outputRate : trackRate;
}

int PlaybackSettings::bufferFramesAt(int rate) const
{
    const double frames = double(outputBufferMs) * rate / 1000;
    const int exponent = static_cast<int>(std::lround(std::log2(frames)));
    return 1 << std::clamp(exponent, 5, 15);
}

int PlaybackSettings::fadeFramesAt(int rate) const
{
    return static_cast<int>(std::int64_t(fadeInMs) * rate / 1000);
}

}  // namespace lyricue
