#include "audio/frame_ring.h"

#include <algorithm>

namespace lyricue {

namespace {

constexpr int kCountBits = 40;
constexpr std::uint64_t kCountMask = (std::uint64_t(1) << kCountBits) - 1;

std::uint64_t packEnd(std::uint32_t generation, std::uint64_t count)
{
    return (std::uint64_t(generation & 0xFFFFFF) << kCountBits) | (count & kCountMask);
}

std::uint64_t roundUpToPowerOfTwo(int value)
{
    std::uint64_t size = 1;
    while (size < std::uint64_t(std::max(value, 1)))
        size <<= 1;
    return size;
}

}  // namespace

FrameRing::FrameRing(int capacity)
    : m_mask(roundUpToPowerOfTwo(capacity) - 1)
{
    m_samples.resize((m_mask + 1) * 2);
    m_tags.resize(m_mask + 1);
}

int FrameRing::writable() const
{
    const std::uint64_t used = m_written.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire);
    return static_cast<int>(m_mask + 1 - used);
}

void FrameRing::write(const float* stereo, int frames, double sourceFrame, double sourceStep,
                      std::uint32_t generation)
{
    const std::uint64_t start = m_written.load(std::memory_order_relaxed);
    for (int i = 0; i < frames; ++i) {
        const std::uint64_t slot = (start + std::uint64_t(i)) & m_mask;
        m_samples[2 * slot] = stereo[2 * i];
        m_samples[2 * slot + 1] = stereo[2 * i + 1];
        m_tags[slot] = Tag{sourceFrame + sourceStep * i, static_cast<float>(sourceStep), generation};
    }
    m_written.store(start + std::uint64_t(frames), std::memory_order_release);
}

void FrameRing::markEnd(std::uint32_t generation)
{
    m_end.store(packEnd(generation, m_written.load(std::memory_order_relaxed)), std::memory_order_release);
}

int FrameRing::readable() const
{
    return static_cast<int>(m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_relaxed));
}

const float* FrameRing::frameAt(int offset) const
{
    return &m_samples[2 * ((m_read.load(std::memory_order_relaxed) + std::uint64_t(offset)) & m_mask)];
}

const FrameRing::Tag& FrameRing::tagAt(int offset) const
{
    return m_tags[(m_read.load(std::memory_order_relaxed) + std::uint64_t(offset)) & m_mask];
}

void FrameRing::consume(int frames)
{
    m_read.store(m_read.load(std::memory_order_relaxed) + std::uint64_t(frames), std::memory_order_release);
}

bool FrameRing::endsAt(std::uint32_t generation, int offset) const
{
    const std::uint64_t at = m_read.load(std::memory_order_relaxed) + std::uint64_t(offset);
    return m_end.load(std::memory_order_acquire) == packEnd(generation, at);
}

}  // namespace lyricue
