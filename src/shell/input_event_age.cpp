#include "shell/input_event_age.h"

#include <QGuiApplication>

#include <chrono>

namespace lyricue {

namespace {

// Older than this, a timestamp is from another clock rather than a slow delivery.
constexpr qint64 kLongestAgeMs = 2000;

// On Linux the steady clock is CLOCK_MONOTONIC, the clock X11 and Wayland servers stamp with.
qint64 monotonicNowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool platformStampsMonotonicTime()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"xcb" || platform == u"wayland";
}

}  // namespace

qint64 inputEventAgeMs(quint64 timestamp, qint64 monotonicNowMs, bool clockIsMonotonic)
{
    if (!clockIsMonotonic || timestamp == 0)
        return 0;
    // The server's time is the monotonic time in milliseconds, wrapped at 32 bits.
    const auto age = static_cast<qint64>(static_cast<quint32>(static_cast<quint64>(monotonicNowMs) - timestamp));
    return age <= kLongestAgeMs ? age : 0;
}

qint64 inputEventAgeMs(quint64 timestamp)
{
    static const bool monotonic = platformStampsMonotonicTime();
    return inputEventAgeMs(timestamp, monotonicNowMs(), monotonic);
}

}  // namespace lyricue
