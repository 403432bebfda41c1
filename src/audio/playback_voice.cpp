#include "audio/playback_voice.h"

#include "audio/block_steps.h"

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
    const block_steps::StereoGain want{float(volume >> 16) / 100.0f, float(volume & 0xFFFF) / 100.0f};
    // Volume ramps over the block while something is heard; in silence it may jump.
    if (!m_audible) {
        m_gainLeft = want.left;
        m_gainRight = want.right;
    }
    if (generation != m_clockGeneration) {
        m_clockGeneration = generation;
        m_clock.beginGeneration(generation);
    }
    m_fade = std::min(m_fade, fadeFrames);

    Block block{stereo, frames, m_ring.readable()};
    // What no longer plays fades out on its own frames; then the generation plays.
    if (m_fade > 0 && (m_voiceGeneration != generation || !running))
        takeFadingOut(block, fadeFrames);
    if (running)
        takePlaying(block, generation, fadeFrames);
    else
        fallQuiet(block, generation);
    if (mono)
        block_steps::mixStereoToMono(stereo, frames);
    block_steps::applyRampingGain(stereo, frames, {m_gainLeft, m_gainRight}, want);

    m_gainLeft = want.left;
    m_gainRight = want.right;
    m_audible = block.fromTrack > 0;
    m_ring.consume(block.used);
    if (block.missing > 0) {
        m_underrunBlocks.fetch_add(1, std::memory_order_relaxed);
        m_underrunFrames.fetch_add(block.missing, std::memory_order_relaxed);
    }
    m_outputFrames += frames;
    m_clock.setHandedEnd(m_outputFrames);
    return block.fromTrack;
}

void PlaybackVoice::takeFadingOut(Block& block, int fadeFrames)
{
    const int first = block.filled;
    const int fadeFrom = m_fade;
    while (block.filled < block.frames && m_fade > 0 && block.used < block.available
           && m_ring.tagAt(block.used).generation == m_voiceGeneration) {
        copyFrame(block, block.used++);
        --m_fade;
    }
    block_steps::applyFade(block.stereo + 2 * first, block.filled - first, fadeFrom - 1, -1, fadeFrames);
    block.fromTrack += block.filled - first;
    // Its frames ran out before the fade did.
    if (block.filled < block.frames)
        m_fade = 0;
}

void PlaybackVoice::takePlaying(Block& block, std::uint32_t generation, int fadeFrames)
{
    if (block.filled >= block.frames)
        return;
    if (m_voiceGeneration != generation) {
        m_voiceGeneration = generation;
        m_heardAny = false;
        m_fade = 0;
    }
    const int first = block.filled;
    const int fadeFrom = m_fade;
    Run run;
    while (block.filled < block.frames) {
        skipStale(block, generation);
        if (block.used >= block.available)
            break;
        const FrameRing::Tag& tag = m_ring.tagAt(block.used);
        const std::int64_t at = m_outputFrames + block.filled;
        if (run.frames > 0 && (run.outputStart + run.frames != at || std::fabs(run.sourceNext - tag.sourceFrame) > 0.5))
            closeRun(run);
        if (run.frames == 0) {
            run.outputStart = at;
            run.sourceStart = tag.sourceFrame;
        }
        ++run.frames;
        run.sourceNext = tag.sourceFrame + tag.sourceStep;
        copyFrame(block, block.used++);
        m_fade = std::min(m_fade + 1, fadeFrames);
        m_heardAny = true;
    }
    block_steps::applyFade(block.stereo + 2 * first, block.filled - first, fadeFrom, 1, fadeFrames);
    block.fromTrack += block.filled - first;
    if (run.frames > 0)
        closeRun(run);
    // The ring has no more: the generation's end, or a late decoder (silence, and a
    // fade-in when frames come again).
    for (; block.filled < block.frames; ++block.filled) {
        block.stereo[2 * block.filled] = block.stereo[2 * block.filled + 1] = 0;
        if (m_ring.endsAt(generation, block.used)) {
            if (unpackFor(m_end.load(std::memory_order_relaxed), generation) < 0)
                m_end.store(pack(generation, m_outputFrames + block.filled), std::memory_order_release);
        } else {
            if (m_heardAny)
                ++block.missing;
            m_fade = 0;
        }
    }
}

void PlaybackVoice::fallQuiet(Block& block, std::uint32_t generation)
{
    if (block.filled >= block.frames)
        return;
    skipStale(block, generation);
    if (unpackFor(m_quiet.load(std::memory_order_relaxed), generation) < 0)
        m_quiet.store(pack(generation, m_outputFrames + block.filled), std::memory_order_release);
    std::fill(block.stereo + 2 * block.filled, block.stereo + 2 * block.frames, 0.0f);
    block.filled = block.frames;
}

void PlaybackVoice::skipStale(Block& block, std::uint32_t generation) const
{
    while (block.used < block.available && m_ring.tagAt(block.used).generation != generation)
        ++block.used;
}

void PlaybackVoice::copyFrame(Block& block, int ringOffset) const
{
    const float* frame = m_ring.frameAt(ringOffset);
    block.stereo[2 * block.filled] = frame[0];
    block.stereo[2 * block.filled + 1] = frame[1];
    ++block.filled;
}

}  // namespace lyricue
