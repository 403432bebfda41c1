#include "playback/playback_speed.h"

#include "audio/audio_engine.h"
#include "base/app_settings.h"

#include <QStringView>

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

Result PlaybackSpeed::choose(int percent)
{
    if (std::find(kPercents.begin(), kPercents.end(), percent) == kPercents.end())
        return Result::failure(QStringLiteral("再生速度 %1% は選べません (50〜100%、10% 刻み)").arg(percent));
    if (m_engine.setPlaybackSpeed(percent) == 0)
        return Result::failure(QStringLiteral("再生速度を %1% にできません").arg(percent));
    m_percent = percent;
    app_settings::setSpeedPercent(percent);
    return {};
}

Result PlaybackSpeed::slower()
{
    const auto at = std::find(kPercents.begin(), kPercents.end(), m_percent);
    if (at != kPercents.begin() && at != kPercents.end())
        return choose(*(at - 1));
    return {};
}

Result PlaybackSpeed::faster()
{
    const auto at = std::find(kPercents.begin(), kPercents.end(), m_percent);
    if (at != kPercents.end() && at + 1 != kPercents.end())
        return choose(*(at + 1));
    return {};
}

namespace {

// `caption` without an ending "  [速度 <digits>%]". Compared by hand: a regular expression
// would be compiled at start-up for the first caption.
QStringView withoutSpeed(QStringView caption)
{
    static constexpr QStringView opening = u"  [速度 ";
    static constexpr QStringView closing = u"%]";
    const qsizetype at = caption.lastIndexOf(opening);
    if (at < 0 || !caption.endsWith(closing))
        return caption;
    const QStringView digits = caption.sliced(at + opening.size()).chopped(closing.size());
    const bool allDigits = !digits.isEmpty()
        && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
    return allDigits ? caption.first(at) : caption;
}

}  // namespace

QString PlaybackSpeed::captionWithSpeed(const QString& caption) const
{
    const QString plain = withoutSpeed(caption).toString();
    return m_percent == 100 ? plain : plain + QStringLiteral("  [速度 %1%]").arg(m_percent);
}

}  // namespace lyricue
