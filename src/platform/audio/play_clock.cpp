#include "play_clock.h"

#include <algorithm>

void PlayClock::restart(std::int64_t frame, int sampleRate)
{
    m_sampleRate = sampleRate > 0 ? sampleRate : 44100;
    m_anchored = false;
    m_anchorFrame = frame;
    m_handedEnd = frame;
    m_reported = frame;
}

void PlayClock::handOver(std::int64_t handedEnd, std::int64_t buffered, TimePoint now)
{
    m_handedEnd = std::max(m_handedEnd, handedEnd);
    m_anchorFrame = m_handedEnd - std::max<std::int64_t>(0, buffered);
    m_anchorTime = now;
    m_anchored = true;
}

std::int64_t PlayClock::position(TimePoint now)
{
    if (!m_anchored)
        return m_reported;
    const auto elapsed = std::max(now - m_anchorTime, TimePoint::duration::zero());
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const auto advanced = static_cast<std::int64_t>(seconds * m_sampleRate);
    const std::int64_t frame = std::min(m_anchorFrame + advanced, m_handedEnd);
    m_reported = std::max(m_reported, frame);
    return m_reported;
}
