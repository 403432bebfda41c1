#include "playback/playback_speed.h"

#include "audio/audio_engine.h"

#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

namespace lyricue {

namespace {

const QString kSettingKey = QStringLiteral("playback/speedPercent");

}  // namespace

PlaybackSpeed::PlaybackSpeed(AudioEngine& engine, QSettings& settings)
    : m_engine(engine), m_settings(settings)
{
}

void PlaybackSpeed::restore()
{
    const int kept = m_settings.value(kSettingKey, 100).toInt();
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
    m_settings.setValue(kSettingKey, percent);
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
