#pragma once

#include <QtGlobal>

// Upper bounds for the speed checks: far above the measured times so that a loaded
// machine passes, low enough to catch a conversion that calls iconv per character
// (about 0.2 us a call, 350 ms for 2 MB). ThreadSanitizer slows this code about 40 times.
#if defined(__SANITIZE_THREAD__)
inline constexpr qint64 kSpeedLimitFactor = 40;
#else
inline constexpr qint64 kSpeedLimitFactor = 1;
#endif

// 32,766 lines (about 2 MB) through the CP932 codec: about 3 ms measured.
inline constexpr qint64 kCodecLimitNs = 100'000'000 * kSpeedLimitFactor;
// The same through file reading or writing, line splitting included: about 10 ms measured.
inline constexpr qint64 kFileLimitNs = 250'000'000 * kSpeedLimitFactor;
