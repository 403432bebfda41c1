#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace lyricue {

// Frames on their way from the decoding thread to the sound device's thread: a ring with
// one writer and one reader that neither ever waits on. Each frame carries the source
// frame it was made from (and how far the source moves per output frame), and the
// generation it belongs to: every play, seek and stop starts a new one, so that the
// reader can tell frames it must drop from frames it must play.
class FrameRing {
public:
    struct Tag {
        double sourceFrame;
        float sourceStep;  // source frames per output frame
        std::uint32_t generation;
    };

    // Holds `capacity` frames, rounded up to a power of two.
    explicit FrameRing(int capacity);
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    int capacity() const { return static_cast<int>(m_mask + 1); }

    // Writer: room for this many frames; then put them and publish them at once.
    int writable() const;
    void write(const float* stereo, int frames, double sourceFrame, double sourceStep, std::uint32_t generation);
    // Frames ever written; a reader that has read this far has read everything.
    std::uint64_t writeCount() const { return m_written.load(std::memory_order_acquire); }
    // The source of `generation` ends after the frames written so far.
    void markEnd(std::uint32_t generation);

    // Reader: frames ready, and the one at `offset` from the read position.
    int readable() const;
    const float* frameAt(int offset) const;
    const Tag& tagAt(int offset) const;
    void consume(int frames);
    std::uint64_t readCount() const { return m_read.load(std::memory_order_acquire); }
    // True when the frames of `generation` end `offset` frames after the read position.
    bool endsAt(std::uint32_t generation, int offset) const;

private:
    std::vector<float> m_samples;
    std::vector<Tag> m_tags;
    std::uint64_t m_mask;
    std::atomic<std::uint64_t> m_written{0};
    std::atomic<std::uint64_t> m_read{0};
    // The generation in the top 24 bits and the write count at its end in the rest.
    std::atomic<std::uint64_t> m_end{~std::uint64_t(0)};
};

}  // namespace lyricue
