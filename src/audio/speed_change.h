#pragma once

#include "audio/decoder.h"
#include "audio/time_stretcher.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lyricue {

// Reads a source slower with the pitch kept, through a stretcher of the time-stretching
// module set up when a speed below 1 is first asked for; at full speed, or where the
// module cannot be loaded, straight from the source. The decoding thread's own.
class SpeedChange {
public:
    // Reads from the source's position on at `speed`; returns the speed it will read at
    // (1 where it cannot stretch).
    double begin(Decoder& source, double speed);
    double speed() const { return m_speed; }
    // The source frame that the next frame read carries.
    double nextSourceFrame() const { return double(m_streamFrom) + double(m_streamOut) * m_speed; }
    // Up to `frames` frames; fewer only where the source has no more.
    int read(Decoder& source, float* stereo, int frames);

private:
    std::unique_ptr<TimeStretcher> m_stretcher;  // kept while the source's rate stays
    int m_stretcherRate = 0;
    double m_speed = 1.0;
    std::int64_t m_streamFrom = 0;  // the source frame the reading starts at
    std::int64_t m_streamOut = 0;   // frames read() has given since
    bool m_inputDone = false;
    std::vector<float> m_input;
};

}  // namespace lyricue
