#pragma once

#include "audio/decoder.h"
#include "audio/waveform_peaks.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace lyricue {

// Computes one track's peaks on a thread of its own, from a decoder of its own (never
// the one that plays), block by block, so that a reader sees them as they arrive.
// cancel() returns at once; the thread stops before its next block.
class PeakScan {
public:
    using DecoderOpener = std::function<std::unique_ptr<Decoder>(const QString& path)>;
    enum class State { Opening, Scanning, Complete, Failed, Cancelled };

    PeakScan(const QString& path, DecoderOpener openDecoder);
    PeakScan(const PeakScan&) = delete;
    PeakScan& operator=(const PeakScan&) = delete;
    // Cancels and waits for the thread.
    ~PeakScan();

    const QString& path() const { return m_path; }
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    State state() const { return m_state.load(std::memory_order_acquire); }
    // Complete, Failed or Cancelled: the thread has nothing left to do.
    bool finished() const;
    // None until the decoder has opened (and when it cannot).
    std::shared_ptr<const WaveformPeaks> peaks() const;

private:
    void run(const DecoderOpener& openDecoder);
    void scan(Decoder& decoder, WaveformPeaks& peaks);

    QString m_path;
    std::atomic<bool> m_cancelled{false};
    std::atomic<State> m_state{State::Opening};
    mutable std::mutex m_peaksLock;
    std::shared_ptr<WaveformPeaks> m_peaks;
    std::thread m_thread;
};

}  // namespace lyricue
