#include "playback/play_time_text.h"

#include "audio/audio_engine.h"

#include <cmath>

namespace lyricue {

namespace {

QString twoDigits(long long value)
{
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(2, u'0');
    return value < 0 ? u'-' + digits : digits;
}

}  // namespace

QString playTimeTextForMs(std::int32_t ms)
{
    const double totalSeconds = std::floor(ms / 1000.0);
    const double minutes = std::floor(totalSeconds / 60.0);
    const double seconds = std::fmod(totalSeconds, 60.0);  // sign of the dividend
    const int hundredths = (ms % 1000) / 10;               // sign of ms, truncated
    return twoDigits(static_cast<long long>(minutes)) + u':' +
           twoDigits(static_cast<long long>(seconds)) + u':' + twoDigits(hundredths);
}

QString PlayTimeText(AudioEngine& engine)
{
    return playTimeTextForMs(engine.vbmp3_getWinampPlayMs());
}

}  // namespace lyricue
