#pragma once

#include "audio/seqlock.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace lyricue {

// Which source frame the listener hears.
//
// The thread that feeds the output (the writer) tells the clock which source frames each
// run of output frames carries, how many output frames it has handed over, and, whenever
// it can tell, which output frame is heard at a given moment: the first frame of the
// block a sound device's callback is given, or the read position a sound server reports.
// A delay-locked loop over those measurements gives the output frame heard at any moment.
// It follows the device's real rate, moves smoothly between and across measurements,
// never goes back, and never passes the frames handed over. Readers on any thread take a
// consistent copy (a Reading) and map it to a source frame.
class PlayClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    static constexpr int kSegments = 8;

    // Output frames [outputStart, outputEnd) carry source frames [sourceStart, sourceEnd).
    struct Segment {
        double outputStart;
        double outputEnd;
        double sourceStart;
        double sourceEnd;
    };

    struct Reading {
        std::uint32_t generation;  // whose frames the segments carry
        bool exact;                // every frame handed over is heard at once
        bool locked;               // the loop has a measurement
        std::int64_t lineNs;       // the loop's estimate: output frame lineOutput heard at
        double lineOutput;         // lineNs, moving on at lineSlope frames a second
        double lineSlope;
        std::int64_t handedEnd;
        int segmentCount;
        Segment segments[kSegments];

        // The output frame heard at `time`; nothing before the first measurement.
        std::optional<double> outputAt(TimePoint time) const;
        // The source frame heard at `time`; nothing while no frame of this generation has
        // been heard.
        std::optional<double> sourceAt(TimePoint time) const;
    };

    // Writer side.
    void setNominalRate(int outputRate);
    // The frames of `generation` follow; the segments of the last one are forgotten.
    void beginGeneration(std::uint32_t generation);
    void addRun(std::int64_t outputStart, int frames, double sourceStart, double sourceEnd);
    void setHandedEnd(std::int64_t outputEnd);
    // A caller of render() that plays nothing itself: every frame handed is heard.
    void setExact(bool exact);
    // Output frame `heardOutput` is heard at `time`.
    void observe(TimePoint time, double heardOutput);
    // Any thread: the output stopped and starts again (a pause, a new device); the next
    // measurement starts the loop over, keeping the rate it had learnt.
    void restartTimeline();
    // Makes what the writer said since the last publish visible to readers.
    void publish();

    // Reader side, any thread.
    Reading read() const;

private:
    void relock(std::int64_t timeNs, double heardOutput);

    Seqlock<Reading> m_published;
    Reading m_state{};
    int m_nominalRate = 48000;
    // The loop: output frame m_anchorOutput is heard at m_anchorNs, m_secondsPerFrame apart.
    std::atomic<bool> m_timelineRestarted{true};
    bool m_rateKnown = false;
    double m_anchorOutput = 0;
    double m_anchorNs = 0;
    double m_secondsPerFrame = 1.0 / 48000;
    std::int64_t m_lockedSinceNs = 0;
    std::int64_t m_lastMeasurementNs = 0;
    int m_farSide = 0;  // the last measurement lay too far ahead (1) or behind (-1) to follow
    // Mean square of the measurements' errors, in s^2; at first as a device's callbacks that
    // come a few milliseconds early or late.
    double m_scatter = 0.002 * 0.002;
};

}  // namespace lyricue
