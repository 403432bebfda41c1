#include "audio/play_clock.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lyricue {

namespace {

// The loop locks fast, then narrows as far as the jitter of its measurements asks: its
// bandwidth falls from 4 Hz with a time constant of 1 s, to 0.05 Hz for measurements
// that scatter by 6 ms (a device whose callbacks come 10 ms early or late), and to no
// less than 1 Hz for ones as steady as a sound server's reports, which it then follows
// closely.
constexpr double kWideBandwidthHz = 4.0;
constexpr double kNarrowingSeconds = 1.0;
constexpr double kBandwidthTimesScatter = 0.05 * 0.006;  // Hz * s
constexpr double kNarrowestHz = 0.05;
constexpr double kSteadiestHz = 1.0;
// How fast the scatter estimate forgets: over about 40 measurements.
constexpr double kScatterWeight = 1.0 / 40;
// The reported position does not jump to each new estimate: it changes speed so as to
// meet it in this time (a change of speed of 1 % for 1 ms), which keeps it continuous and
// never going back.
constexpr double kConvergeSeconds = 0.1;
// Further off than this, the reported position jumps forward (or holds) instead.
constexpr double kJumpSeconds = 0.020;
// Two measurements in a row this far from the loop's prediction, or one after this long a
// silence, start the loop over: fifteen times the measurements' scatter, between 3 and 50
// ms, so that a sound server that stops for a moment (its reports as steady as 0.1 ms) is
// followed at once, while a device's callbacks that wander by a few milliseconds are not.
constexpr double kRelockScatters = 15;
constexpr double kNearestRelockSeconds = 0.003;
constexpr double kRelockSeconds = 0.050;
// Further ahead of the estimate than the nearest restart, the reported position holds.
constexpr double kHoldSeconds = kNearestRelockSeconds;
constexpr double kStaleSeconds = 0.5;
// A device runs at its nominal rate give or take this much: a sound card by well under
// 0.5 %, SDL's dummy driver, which sleeps whole milliseconds, by up to 2 %.
constexpr double kRateTolerance = 0.03;

constexpr double kNsPerSecond = 1e9;

std::int64_t nanoseconds(PlayClock::TimePoint time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

}  // namespace

std::optional<double> PlayClock::Reading::outputAt(TimePoint time) const
{
    if (exact)
        return double(handedEnd);
    if (!locked)
        return std::nullopt;
    const double elapsed = double(nanoseconds(time) - lineNs) / kNsPerSecond;
    return std::min(lineOutput + lineSlope * std::max(0.0, elapsed), double(handedEnd));
}

std::optional<double> PlayClock::Reading::sourceAt(TimePoint time) const
{
    const std::optional<double> output = outputAt(time);
    if (!output)
        return std::nullopt;
    for (int i = segmentCount - 1; i >= 0; --i) {
        const Segment& segment = segments[i];
        if (*output < segment.outputStart)
            continue;
        if (*output >= segment.outputEnd)
            return segment.sourceEnd;
        const double share = (*output - segment.outputStart) / (segment.outputEnd - segment.outputStart);
        return segment.sourceStart + share * (segment.sourceEnd - segment.sourceStart);
    }
    return std::nullopt;
}

void PlayClock::setNominalRate(int outputRate)
{
    if (outputRate == m_nominalRate && m_rateKnown)
        return;
    m_nominalRate = outputRate > 0 ? outputRate : 48000;
    m_secondsPerFrame = 1.0 / m_nominalRate;
    m_rateKnown = true;
    m_timelineRestarted = true;
}

void PlayClock::beginGeneration(std::uint32_t generation)
{
    m_state.generation = generation;
    m_state.segmentCount = 0;
}

void PlayClock::addRun(std::int64_t outputStart, int frames, double sourceStart, double sourceEnd)
{
    if (frames <= 0)
        return;
    const double outputEnd = double(outputStart + frames);
    if (m_state.segmentCount > 0) {
        Segment& last = m_state.segments[m_state.segmentCount - 1];
        const double lastSlope = (last.sourceEnd - last.sourceStart) / (last.outputEnd - last.outputStart);
        const double slope = (sourceEnd - sourceStart) / frames;
        if (last.outputEnd == double(outputStart) && std::fabs(last.sourceEnd - sourceStart) < 0.5
            && std::fabs(lastSlope - slope) < 1e-6) {
            last.outputEnd = outputEnd;
            last.sourceEnd = sourceEnd;
            return;
        }
    }
    if (m_state.segmentCount == kSegments) {
        std::copy(m_state.segments + 1, m_state.segments + kSegments, m_state.segments);
        --m_state.segmentCount;
    }
    m_state.segments[m_state.segmentCount++] = Segment{double(outputStart), outputEnd, sourceStart, sourceEnd};
}

void PlayClock::setHandedEnd(std::int64_t outputEnd)
{
    m_state.handedEnd = outputEnd;
}

void PlayClock::setExact(bool exact)
{
    m_state.exact = exact;
}

void PlayClock::restartTimeline()
{
    m_timelineRestarted = true;
}

void PlayClock::relock(std::int64_t timeNs, double heardOutput)
{
    m_anchorOutput = heardOutput;
    m_anchorNs = double(timeNs);
    m_lockedSinceNs = timeNs;
    m_state.locked = true;
    m_state.lineNs = timeNs;
    m_state.lineOutput = heardOutput;
    m_state.lineSlope = 1.0 / m_secondsPerFrame;
}

void PlayClock::observe(TimePoint time, double heardOutput)
{
    const std::int64_t timeNs = nanoseconds(time);
    const double sinceLast = double(timeNs - m_lastMeasurementNs) / kNsPerSecond;
    m_lastMeasurementNs = timeNs;
    if (m_timelineRestarted.exchange(false) || !m_state.locked || sinceLast > kStaleSeconds) {
        relock(timeNs, heardOutput);
        return;
    }
    const double frames = heardOutput - m_anchorOutput;
    if (std::fabs(frames) < 1)
        return;
    // In the time domain, as the measured quantity is the moment a frame is heard.
    const double predictedNs = m_anchorNs + frames * m_secondsPerFrame * kNsPerSecond;
    const double error = (double(timeNs) - predictedNs) / kNsPerSecond;
    const double relockSeconds =
        std::clamp(kRelockScatters * std::sqrt(m_scatter), kNearestRelockSeconds, kRelockSeconds);
    if (std::fabs(error) > relockSeconds) {
        // One measurement so far off may be a callback that came late: the loop starts
        // over at the second in a row off the same way, as where a server stopped.
        const int side = error > 0 ? 1 : -1;
        if (m_farSide != side) {
            m_farSide = side;
            return;
        }
        m_farSide = 0;
        const double heardBefore = m_state.lineOutput
            + m_state.lineSlope * double(timeNs - m_state.lineNs) / kNsPerSecond;
        relock(timeNs, heardOutput);
        // Keep a reported position that was ahead, so that it never goes back.
        if (heardBefore > heardOutput) {
            m_state.lineOutput = heardBefore;
            m_state.lineSlope = 0;
        }
        return;
    }
    m_farSide = 0;
    m_scatter += kScatterWeight * (error * error - m_scatter);
    const double narrow =
        std::clamp(kBandwidthTimesScatter / std::sqrt(std::max(m_scatter, 1e-12)), kNarrowestHz, kSteadiestHz);
    const double age = double(timeNs - m_lockedSinceNs) / kNsPerSecond;
    const double bandwidth = narrow + (kWideBandwidthHz - narrow) * std::exp(-age / kNarrowingSeconds);
    const double omega = 2 * std::numbers::pi * bandwidth * std::fabs(frames) * m_secondsPerFrame;
    const double proportional = std::min(std::sqrt(2.0) * omega, 1.0);
    const double integral = omega * omega;
    m_anchorNs = predictedNs + proportional * error * kNsPerSecond;
    m_anchorOutput = heardOutput;
    const double nominal = 1.0 / m_nominalRate;
    m_secondsPerFrame = std::clamp(m_secondsPerFrame + integral * error / frames, nominal * (1 - kRateTolerance),
                                   nominal * (1 + kRateTolerance));

    const double rate = 1.0 / m_secondsPerFrame;
    const double estimate = m_anchorOutput + (double(timeNs) - m_anchorNs) / kNsPerSecond * rate;
    double reported = m_state.lineOutput + m_state.lineSlope * double(timeNs - m_state.lineNs) / kNsPerSecond;
    if (estimate - reported > kJumpSeconds * rate)
        reported = estimate;
    m_state.lineNs = timeNs;
    m_state.lineOutput = reported;
    // Further ahead of the estimate than a loop's restart (after a sound server stopped for
    // a moment), it holds until the estimate catches up, rather than run on ahead.
    m_state.lineSlope = reported - estimate > kHoldSeconds * rate
        ? 0.0
        : std::max(0.0, rate + (estimate - reported) / kConvergeSeconds);
}

void PlayClock::publish()
{
    m_published.store(m_state);
}

PlayClock::Reading PlayClock::read() const
{
    return m_published.load();
}

}  // namespace lyricue
