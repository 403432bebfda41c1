#include "audio/peak_scan.h"

#include <algorithm>
#include <vector>

namespace lyricue {

namespace {

constexpr int ChunkBlocks = 16;  // blocks decoded per read

}  // namespace

PeakScan::PeakScan(const QString& path, DecoderOpener openDecoder) : m_path(path)
{
    m_thread = std::thread([this, open = std::move(openDecoder)] { run(open); });
}

PeakScan::~PeakScan()
{
    cancel();
    m_thread.join();
}

bool PeakScan::finished() const
{
    const State now = state();
    return now != State::Opening && now != State::Scanning;
}

std::shared_ptr<const WaveformPeaks> PeakScan::peaks() const
{
    const std::lock_guard lock(m_peaksLock);
    return m_peaks;
}

void PeakScan::run(const DecoderOpener& openDecoder)
{
    std::unique_ptr<Decoder> decoder = openDecoder(m_path);
    if (!decoder) {
        m_state.store(State::Failed, std::memory_order_release);
        return;
    }
    auto peaks = std::make_shared<WaveformPeaks>(decoder->sampleRate(), decoder->lengthFrames());
    {
        const std::lock_guard lock(m_peaksLock);
        m_peaks = peaks;
    }
    m_state.store(State::Scanning, std::memory_order_release);
    scan(*decoder, *peaks);
}

void PeakScan::scan(Decoder& decoder, WaveformPeaks& peaks)
{
    constexpr int chunkFrames = ChunkBlocks * WaveformPeaks::BlockFrames;
    std::vector<float> samples(static_cast<std::size_t>(chunkFrames) * 2);
    std::int64_t block = 0;
    while (block < peaks.blockCount()) {
        if (m_cancelled.load(std::memory_order_relaxed)) {
            m_state.store(State::Cancelled, std::memory_order_release);
            return;
        }
        const int frames = decoder.read(samples.data(), chunkFrames);
        if (frames <= 0)
            break;  // a stream that ends early leaves its last blocks silent
        for (int first = 0; first < frames && block < peaks.blockCount(); first += WaveformPeaks::BlockFrames, ++block) {
            const int count = std::min(WaveformPeaks::BlockFrames, frames - first) * 2;
            const auto begin = samples.begin() + first * 2;
            const auto [low, high] = std::minmax_element(begin, begin + count);
            peaks.put(block, {*low, *high});
        }
        peaks.publish(block);
    }
    peaks.publish(peaks.blockCount());
    m_state.store(State::Complete, std::memory_order_release);
}

}  // namespace lyricue
