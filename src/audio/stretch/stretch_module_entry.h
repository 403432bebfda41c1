#pragma once

namespace lyricue {

class TimeStretcher;

// The one function of the time-stretching module (lyricue_stretch), which holds
// everything that uses Rubber Band: makeTimeStretcher (audio/time_stretcher.h) loads
// the module when a speed other than 100 % is first played.
inline constexpr const char* stretchModuleEntryName = "lyricue_new_time_stretcher";
using StretchModuleEntry = TimeStretcher* (*)(int sampleRate);

}  // namespace lyricue
