#include "audio/waveform_peaks.h"

#include <algorithm>

namespace lyricue {

WaveformPeaks::WaveformPeaks(int sampleRate, std::int64_t lengthFrames)
    : m_sampleRate(sampleRate),
      m_lengthFrames(std::max<std::int64_t>(lengthFrames, 0)),
      m_peaks(static_cast<std::size_t>((m_lengthFrames + BlockFrames - 1) / BlockFrames))
{
}

WaveformPeaks::Peak WaveformPeaks::range(std::int64_t beginFrame, std::int64_t endFrame) const
{
    const std::int64_t first = std::max<std::int64_t>(beginFrame, 0) / BlockFrames;
    const std::int64_t last = std::min((endFrame + BlockFrames - 1) / BlockFrames, readyBlocks());
    if (first >= last)
        return {};
    Peak result = m_peaks[static_cast<std::size_t>(first)];
    for (std::int64_t index = first + 1; index < last; ++index) {
        const Peak& peak = m_peaks[static_cast<std::size_t>(index)];
        result.low = std::min(result.low, peak.low);
        result.high = std::max(result.high, peak.high);
    }
    return result;
}

}  // namespace lyricue
