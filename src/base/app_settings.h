#pragma once

#include <optional>

namespace lyricue {

// The one place the program's settings are read and written, each under its own key in
// ~/.config/Lyricue/Lyricue.conf (on Linux), so that a user keeps them between runs and
// versions. A value missing or unreadable in the file reads as none.
namespace app_settings {

// The playing speed chosen last, in percent.
std::optional<int> speedPercent();
void setSpeedPercent(int percent);

// Whether the timeline was shown when the program last ran.
bool timelineShown();
void setTimelineShown(bool shown);

// The stamp offset, in milliseconds, as it was saved (not yet checked against its range).
std::optional<int> stampOffsetMs();
void setStampOffsetMs(int offsetMs);

// Whether "Time Input" times a line word by word (segment by segment).
bool segmentTiming();
void setSegmentTiming(bool on);

// Forgets every setting, as on a first run.
void forgetAll();

}  // namespace app_settings

}  // namespace lyricue
