#include "playback/playback_speed.h"

#include "audio/audio_engine.h"
#include "base/app_settings.h"

#include <QRegularExpression>

#include <algorithm>

namespace lyricue {

PlaybackSpeed::PlaybackSpeed(AudioEngine& engine) : m_engine(engine) {}

void PlaybackSpeed::restore()
{
    const int kept = app_settings::speedPercent().value_or(100);
    if (kept != 100 && std::find(kPercents.begin(), kPercents.end(), kept) != kPercents.end()
        && m_engine.setPlaybackSpeed(kept) != 0)
        m_percent = kept;
}

bool PlaybackSpeed::choose(int percent)
{
    if (std::find(kPercents.begin(), kPercents.end(), percent) == kPercents.end()
        || m_engine.setPlaybackSpeed(percent) == 0)
        return false;
    m_percent = percent;
    app_settings::setSpeedPercent(percent);
    return true;
}

void PlaybackSpeed::slower()
{
    const auto at = std::find(kPercents.begin(), kPercents.end(), m_percent);
    if (at != kPercents.begin() && at != kPercents.end())
        choose(*(at - 1));
}

void PlaybackSpeed::faster()
{
    const auto at = std::find(kPercents.begin(), kPercents.end(), m_percent);
    if (at != kPercents.end() && at + 1 != kPercents.end())
        choose(*(at + 1));
}

QString PlaybackSpeed::captionWithSpeed(const QString& caption) const
{
    static const QRegularExpression ending(QStringLiteral("  \\[速度 \\d+%\\]$"));
    QString plain = caption;
    plain.remove(ending);
    return m_percent == 100 ? plain : plain + QStringLiteral("  [速度 %1%]").arg(m_percent);
}

}  // namespace lyricue
