#include "calibration/stamp_offset.h"

#include "base/app_settings.h"

#include <algorithm>
#include <cstdint>

namespace lyricue {

namespace stamp_offset {

int load()
{
    return std::clamp(app_settings::stampOffsetMs().value_or(0), kLowestMs, kHighestMs);
}

void save(int offsetMs)
{
    app_settings::setStampOffsetMs(std::clamp(offsetMs, kLowestMs, kHighestMs));
}

std::int32_t stampMs(std::int32_t heardMs, int offsetMs)
{
    return std::int32_t(std::clamp<std::int64_t>(std::int64_t(heardMs) - offsetMs, 0, INT32_MAX));
}

QString text(int offsetMs)
{
    return (offsetMs > 0 ? QStringLiteral("+") : QString()) + QString::number(offsetMs) + QStringLiteral(" ms");
}

}  // namespace stamp_offset

}  // namespace lyricue
