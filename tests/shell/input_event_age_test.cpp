#include "shell/input_event_age.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

TEST(InputEventAge, CountsFromTheMonotonicClockOnlyWhereThePlatformStampsIt)
{
    constexpr qint64 kNow = 5'000'000'123;  // past 32 bits: the server's time has wrapped
    const auto wrapped = [](qint64 ms) { return static_cast<quint64>(static_cast<quint32>(ms)); };
    const struct {
        quint64 timestamp;
        bool monotonic;
        qint64 age;
    } cases[] = {
        {wrapped(kNow - 80), true, 80},    // a press still queued 80 ms later
        {wrapped(kNow), true, 0},
        {wrapped(kNow + 3), true, 0},       // a clock a little ahead: no age, never a negative one
        {wrapped(kNow - 60'000), true, 0},  // another clock altogether (a remote display)
        {0, true, 0},                       // an event the program made itself
        {wrapped(kNow - 80), false, 0},     // a platform with timestamps of its own
    };
    for (const auto& c : cases)
        EXPECT_EQ(inputEventAgeMs(c.timestamp, kNow, c.monotonic), c.age) << c.timestamp << ' ' << c.monotonic;
}

}  // namespace

}  // namespace lyricue
