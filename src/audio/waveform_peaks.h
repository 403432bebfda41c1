#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace lyricue {

// The lowest and highest sample of both channels in each block of frames of one track:
// filled in order by one writer (PeakScan's thread) while readers take the blocks that
// have arrived so far.
class WaveformPeaks {
public:
    static constexpr int BlockFrames = 256;

    struct Peak {
        float low = 0.0f;
        float high = 0.0f;
    };

    WaveformPeaks(int sampleRate, std::int64_t lengthFrames);
    WaveformPeaks(const WaveformPeaks&) = delete;
    WaveformPeaks& operator=(const WaveformPeaks&) = delete;

    int sampleRate() const { return m_sampleRate; }
    std::int64_t lengthFrames() const { return m_lengthFrames; }
    std::int64_t blockCount() const { return static_cast<std::int64_t>(m_peaks.size()); }
    // Blocks from 0 that hold their peaks.
    std::int64_t readyBlocks() const { return m_ready.load(std::memory_order_acquire); }
    bool complete() const { return readyBlocks() == blockCount(); }
    // Low and high over the arrived blocks that meet frames [begin, end); none arrived: 0, 0.
    Peak range(std::int64_t beginFrame, std::int64_t endFrame) const;

    // For the writer: block `index` (the next one after the ready ones), then made visible.
    void put(std::int64_t index, Peak peak) { m_peaks[static_cast<std::size_t>(index)] = peak; }
    void publish(std::int64_t readyBlocks) { m_ready.store(readyBlocks, std::memory_order_release); }

private:
    int m_sampleRate;
    std::int64_t m_lengthFrames;
    std::vector<Peak> m_peaks;
    std::atomic<std::int64_t> m_ready{0};
};

}  // namespace lyricue
