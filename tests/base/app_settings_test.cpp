#include "base/app_settings.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace lyricue {

namespace {

// The file and keys that earlier versions wrote, which a user's settings are kept in.
QSettings earlierVersionsFile()
{
    return QSettings(QStringLiteral("Lyricue"), QStringLiteral("Lyricue"));
}

struct Setting {
    const char* key;
    QVariant stored;
    std::function<QVariant()> read;  // invalid for none
    std::function<void()> write;     // writes `stored`
};

QVariant orNone(std::optional<int> value)
{
    return value ? QVariant(*value) : QVariant();
}

class AppSettings : public testing::Test {
protected:
    void SetUp() override { app_settings::forgetAll(); }
    void TearDown() override { app_settings::forgetAll(); }

    const Setting settings[3] = {
        {"playback/speedPercent", 80, [] { return orNone(app_settings::speedPercent()); },
         [] { app_settings::setSpeedPercent(80); }},
        {"timeline/shown", true, [] { return QVariant(app_settings::timelineShown()); },
         [] { app_settings::setTimelineShown(true); }},
        {"stamping/offsetMs", -35, [] { return orNone(app_settings::stampOffsetMs()); },
         [] { app_settings::setStampOffsetMs(-35); }},
    };
};

TEST_F(AppSettings, ReadsWhatEarlierVersionsKeptAndKeepsItUnderTheSameKey)
{
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.key);
        const QString key = QLatin1String(setting.key);
        earlierVersionsFile().setValue(key, setting.stored);
        EXPECT_EQ(setting.read().toString(), setting.stored.toString());

        app_settings::forgetAll();
        EXPECT_FALSE(earlierVersionsFile().contains(key));
        setting.write();
        EXPECT_EQ(earlierVersionsFile().value(key).toString(), setting.stored.toString());
        EXPECT_EQ(setting.read().toString(), setting.stored.toString());
    }
}

TEST_F(AppSettings, MissingOrUnreadableValuesReadAsNone)
{
    EXPECT_EQ(app_settings::speedPercent(), std::nullopt);
    EXPECT_EQ(app_settings::stampOffsetMs(), std::nullopt);
    EXPECT_FALSE(app_settings::timelineShown());
    earlierVersionsFile().setValue(QStringLiteral("playback/speedPercent"), QStringLiteral("fast"));
    earlierVersionsFile().setValue(QStringLiteral("stamping/offsetMs"), QStringLiteral("12ms"));
    EXPECT_EQ(app_settings::speedPercent(), std::nullopt);
    EXPECT_EQ(app_settings::stampOffsetMs(), std::nullopt);
}

}  // namespace

}  // namespace lyricue
