#pragma once

#include <chrono>
#include <cstdint>

// The frame being heard: frames handed to the output minus the frames still buffered
// ahead of the listener, moved on with a steady clock between hand-overs, never moved
// back and never past the frames handed. Counts frames of the decoded track.
class PlayClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Counts from `frame` (play, resume, seek); it stands there until the first hand-over.
    void restart(std::int64_t frame, int sampleRate);

    // The output now holds every frame before `handedEnd`, and `buffered` of them have
    // not been heard yet. An output that plays nothing itself (a caller of render())
    // buffers none, and the position is then exactly the frames handed.
    void handOver(std::int64_t handedEnd, std::int64_t buffered, TimePoint now);

    // The frame heard at `now`.
    std::int64_t position(TimePoint now);
    std::int64_t handedEnd() const { return m_handedEnd; }

private:
    int m_sampleRate = 44100;
    bool m_anchored = false;
    std::int64_t m_anchorFrame = 0;
    TimePoint m_anchorTime{};
    std::int64_t m_handedEnd = 0;
    std::int64_t m_reported = 0;
};
