#include "base/app_settings.h"

#include <QSettings>

namespace lyricue {

namespace app_settings {

namespace {

// The keys as earlier versions wrote them.
const QString kSpeedKey = QStringLiteral("playback/speedPercent");
const QString kTimelineKey = QStringLiteral("timeline/shown");
const QString kStampOffsetKey = QStringLiteral("stamping/offsetMs");
const QString kSegmentTimingKey = QStringLiteral("stamping/segmentTiming");

// A fresh object each time: Qt shares one parsed copy of the file between them, and a
// change is written when the object goes, not at the end of the run.
QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Lyricue"),
                     QStringLiteral("Lyricue"));
}

std::optional<int> intAt(const QString& key)
{
    const QVariant value = store().value(key);
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    if (!value.isValid() || !isNumber)
        return std::nullopt;
    return number;
}

void write(const QString& key, const QVariant& value)
{
    store().setValue(key, value);
}

}  // namespace

std::optional<int> speedPercent()
{
    return intAt(kSpeedKey);
}

void setSpeedPercent(int percent)
{
    write(kSpeedKey, percent);
}

bool timelineShown()
{
    return store().value(kTimelineKey, false).toBool();
}

void setTimelineShown(bool shown)
{
    write(kTimelineKey, shown);
}

std::optional<int> stampOffsetMs()
{
    return intAt(kStampOffsetKey);
}

void setStampOffsetMs(int offsetMs)
{
    write(kStampOffsetKey, offsetMs);
}

bool segmentTiming()
{
    return store().value(kSegmentTimingKey, false).toBool();
}

void setSegmentTiming(bool on)
{
    write(kSegmentTimingKey, on);
}

void forgetAll()
{
    store().clear();
}

}  // namespace app_settings

}  // namespace lyricue
