#pragma once

#include <QString>

#include <cstdint>

namespace lyricue {

// The user's delay that every stamp takes off the position heard: reaction time plus the
// sound output's latency, measured by tap-along calibration or typed. Kept in the
// program's settings between runs.
namespace stamp_offset {

constexpr int kLowestMs = -1000;
constexpr int kHighestMs = 1000;

// The offset kept in the settings; 0 when none is kept or the kept value is unreadable.
int load();
void save(int offsetMs);

// What a stamp writes for a press heard at `heardMs`: never before the start.
std::int32_t stampMs(std::int32_t heardMs, int offsetMs);

// "+35 ms", "-20 ms", "0 ms".
QString text(int offsetMs);

}  // namespace stamp_offset

}  // namespace lyricue
