// Peaks of a track computed on a thread of their own: min and max of both channels per
// block, and what a stream that ends early leaves.
#include "audio/peak_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace lyricue {

namespace {

// Frames given from a table; it may claim more frames than it holds, as a cut file does.
class TableDecoder final : public Decoder {
public:
    TableDecoder(std::vector<float> stereo, std::int64_t claimedFrames)
        : m_samples(std::move(stereo)), m_claimed(claimedFrames)
    {
    }
    int sampleRate() const override { return 8000; }
    std::int64_t lengthFrames() const override { return m_claimed; }
    std::int64_t position() const override { return m_position; }
    Result seek(std::int64_t frame) override
    {
        m_position = frame;
        return Result();
    }
    int read(float* stereo, int frames) override
    {
        const auto held = static_cast<std::int64_t>(m_samples.size() / 2);
        const int count = static_cast<int>(std::min<std::int64_t>(frames, held - m_position));
        std::copy_n(m_samples.begin() + m_position * 2, count * 2, stereo);
        m_position += count;
        return count;
    }

private:
    std::vector<float> m_samples;
    std::int64_t m_claimed;
    std::int64_t m_position = 0;
};

constexpr int Block = WaveformPeaks::BlockFrames;

void waitUntilFinished(const PeakScan& scan)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!scan.finished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(scan.finished());
}

TEST(PeakScan, EachBlockHoldsTheLowestAndHighestSampleOfBothChannels)
{
    // Three and a half blocks: block 1 peaks high on the left, low on the right.
    std::vector<float> samples(static_cast<std::size_t>(Block * 7), 0.1f);
    samples[(Block + 5) * 2] = 0.9f;
    samples[(Block + 9) * 2 + 1] = -0.7f;
    samples[(3 * Block + 2) * 2 + 1] = -0.3f;
    PeakScan scan(QStringLiteral("table"), [&](const QString&) {
        return std::make_unique<TableDecoder>(samples, Block * 7 / 2);
    });
    waitUntilFinished(scan);
    ASSERT_EQ(scan.state(), PeakScan::State::Complete);
    const auto peaks = scan.peaks();
    EXPECT_EQ(peaks->blockCount(), 4);
    EXPECT_TRUE(peaks->complete());
    struct Case {
        std::int64_t begin, end;
        float low, high;
    };
    for (const Case& c : {Case{0, Block, 0.1f, 0.1f}, Case{Block, 2 * Block, -0.7f, 0.9f},
                          Case{Block + 100, Block + 101, -0.7f, 0.9f}, Case{2 * Block, 3 * Block, 0.1f, 0.1f},
                          Case{3 * Block, 4 * Block, -0.3f, 0.1f}, Case{0, 4 * Block, -0.7f, 0.9f},
                          Case{9 * Block, 10 * Block, 0.0f, 0.0f}}) {
        const WaveformPeaks::Peak peak = peaks->range(c.begin, c.end);
        EXPECT_FLOAT_EQ(peak.low, c.low) << c.begin;
        EXPECT_FLOAT_EQ(peak.high, c.high) << c.begin;
    }
}

TEST(PeakScan, AStreamThatEndsEarlyLeavesItsLastBlocksSilent)
{
    std::vector<float> samples(static_cast<std::size_t>(Block * 2), 0.5f);
    PeakScan scan(QStringLiteral("cut"), [&](const QString&) { return std::make_unique<TableDecoder>(samples, 5 * Block); });
    waitUntilFinished(scan);
    ASSERT_EQ(scan.state(), PeakScan::State::Complete);
    const auto peaks = scan.peaks();
    EXPECT_EQ(peaks->readyBlocks(), 5);
    EXPECT_FLOAT_EQ(peaks->range(0, Block).high, 0.5f);
    EXPECT_FLOAT_EQ(peaks->range(2 * Block, 5 * Block).high, 0.0f);
}

}  // namespace

}  // namespace lyricue
