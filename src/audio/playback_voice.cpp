#include "audio/playback_voice.h"

#include <algorithm>
#include <cmath>

namespace lyricue {

namespace {

constexpr int kIndexBits = 40;
constexpr std::uint64_t kIndexMask = (std::uint64_t(1) << kIndexBits) - 1;
constexpr std::uint64_t kNone = ~std::uint64_t(0);

std::uint64_t pack(std::uint32_t generation, std::int64_t outputFrame)
{
    return (std::uint64_t(generation & 0xFFFFFF) << kIndexBits) | (std::uint64_t(outputFrame) & kIndexMask);
}

std::int64_t unpackFor(std::uint64_t packed, std::uint32_t generation)
{
    if (packed == kNone || (packed >> kIndexBits) != (generation & 0xFFFFFF))
        return -1;
    return std::int64_t(packed & kIndexMask);
}

}  // namespace

PlaybackVoice::PlaybackVoice(FrameRing& ring, PlayClock& clock)
    : m_ring(ring)
    , m_clock(clock)
{
}

void PlaybackVoice::setTarget(std::uint32_t generation, bool running)
{
    m_target.store((std::uint64_t(generation) << 32) | (running ? 1u : 0u), std::memory_order_release);
}

void PlaybackVoice::setVolume(int left, int right)
{
    m_volume.store((std::uint32_t(left) << 16) | std::uint32_t(right), std::memory_order_relaxed);
}

void PlaybackVoice::setShape(int fadeFrames, bool mono)
{
    m_fadeFrames.store(std::max(0, fadeFrames), std::memory_order_relaxed);
    m_mono.store(mono, std::memory_order_relaxed);
}

void PlaybackVoice::restart()
{
    m_outputFrames = 0;
    m_clock.restartTimeline();
}

PlaybackVoice::Underruns PlaybackVoice::underruns() const
{
    return {m_underrunBlocks.load(std::memory_order_relaxed), m_underrunFrames.load(std::memory_order_relaxed)};
}

std::int64_t PlaybackVoice::endOf(std::uint32_t generation) const
{
    return unpackFor(m_end.load(std::memory_order_acquire), generation);
}

std::int64_t PlaybackVoice::quietFrom(std::uint32_t generation) const
{
    return unpackFor(m_quiet.load(std::memory_order_acquire), generation);
}

void PlaybackVoice::closeRun(Run& run)
{
    m_clock.addRun(run.outputStart, run.frames, run.sourceStart, run.sourceNext);
    run = Run{};
}

int PlaybackVoice::render(float* stereo, int frames)
{
    const std::uint64_t target = m_target.load(std::memory_order_acquire);
    const auto generation = static_cast<std::uint32_t>(target >> 32);
    const bool running = (target & 1) != 0;
    const int fadeFrames = m_fadeFrames.load(std::memory_order_relaxed);
    const bool mono = m_mono.load(std::memory_order_relaxed);
    const std::uint32_t volume = m_volume.load(std::memory_order_relaxed);
    const float wantLeft = float(volume >> 16) / 100.0f;
    const float wantRight = float(volume & 0xFFFF) / 100.0f;
    // Volume ramps over the block while something is heard; in silence it may jump.
    if (!m_audible) {
        m_gainLeft = wantLeft;
        m_gainRight = wantRight;
    }
    if (generation != m_clockGeneration) {
        m_clockGeneration = generation;
        m_clock.beginGeneration(generation);
    }
    m_fade = std::min(m_fade, fadeFrames);

    const int available = m_ring.readable();
    int used = 0;
    int fromTrack = 0;
    int missing = 0;
    bool audible = false;
    Run run;
    for (int i = 0; i < frames; ++i) {
        const std::int64_t at = m_outputFrames + i;
        float left = 0;
        float right = 0;
        bool done = false;
        // What no longer plays fades out on its own frames.
        if (m_fade > 0 && (m_voiceGeneration != generation || !running)) {
            if (used < available && m_ring.tagAt(used).generation == m_voiceGeneration) {
                const float* frame = m_ring.frameAt(used++);
                const float gain = float(--m_fade) / float(fadeFrames);
                left = frame[0] * gain;
                right = frame[1] * gain;
                ++fromTrack;
                audible = true;
                done = true;
            } else {
                m_fade = 0;
            }
        }
        if (!done) {
            while (used < available && m_ring.tagAt(used).generation != generation)
                ++used;
            if (!running) {
                if (unpackFor(m_quiet.load(std::memory_order_relaxed), generation) < 0)
                    m_quiet.store(pack(generation, at), std::memory_order_release);
            } else {
                if (m_voiceGeneration != generation) {
                    m_voiceGeneration = generation;
                    m_heardAny = false;
                    m_fade = 0;
                }
                if (used < available) {
                    const FrameRing::Tag& tag = m_ring.tagAt(used);
                    const float* frame = m_ring.frameAt(used++);
                    const float gain = fadeFrames > 0 ? float(m_fade) / float(fadeFrames) : 1.0f;
                    m_fade = std::min(m_fade + 1, fadeFrames);
                    left = frame[0] * gain;
                    right = frame[1] * gain;
                    if (run.frames > 0
                        && (run.outputStart + run.frames != at || std::fabs(run.sourceNext - tag.sourceFrame) > 0.5))
                        closeRun(run);
                    if (run.frames == 0) {
                        run.outputStart = at;
                        run.sourceStart = tag.sourceFrame;
                    }
                    ++run.frames;
                    run.sourceNext = tag.sourceFrame + tag.sourceStep;
                    ++fromTrack;
                    m_heardAny = true;
                    audible = true;
                } else if (m_ring.endsAt(generation, used)) {
                    if (unpackFor(m_end.load(std::memory_order_relaxed), generation) < 0)
                        m_end.store(pack(generation, at), std::memory_order_release);
                } else {
                    // The decoder is late: silence, and a fade-in when frames come again.
                    if (m_heardAny)
                        ++missing;
                    m_fade = 0;
                }
            }
        }
        const float share = float(i + 1) / float(frames);
        const float gainLeft = m_gainLeft + (wantLeft - m_gainLeft) * share;
        const float gainRight = m_gainRight + (wantRight - m_gainRight) * share;
        if (mono)
            left = right = (left + right) / 2;
        stereo[2 * i] = left * gainLeft;
        stereo[2 * i + 1] = right * gainRight;
    }
    m_gainLeft = wantLeft;
    m_gainRight = wantRight;
    m_audible = audible;
    if (run.frames > 0)
        closeRun(run);
    m_ring.consume(used);
    if (missing > 0) {
        m_underrunBlocks.fetch_add(1, std::memory_order_relaxed);
        m_underrunFrames.fetch_add(missing, std::memory_order_relaxed);
    }
    m_outputFrames += frames;
    m_clock.setHandedEnd(m_outputFrames);
    return fromTrack;
}

}  // namespace lyricue
