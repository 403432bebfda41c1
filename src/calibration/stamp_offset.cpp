#include "calibration/stamp_offset.h"

#include <QSettings>

#include <algorithm>
#include <cstdint>

namespace lyricue {

namespace stamp_offset {

namespace {

const QString kKey = QStringLiteral("stamping/offsetMs");
const QString kName = QStringLiteral("Lyricue");  // ~/.config/Lyricue/Lyricue.conf

}  // namespace

int load()
{
    bool isNumber = false;
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, kName, kName);
    const int value = store.value(kKey, 0).toInt(&isNumber);
    return isNumber ? std::clamp(value, kLowestMs, kHighestMs) : 0;
}

void save(int offsetMs)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kName, kName);
    store.setValue(kKey, std::clamp(offsetMs, kLowestMs, kHighestMs));
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
