#pragma once

#include "audio/frame_ring.h"
#include "audio/play_clock.h"

#include <atomic>
#include <cstdint>

namespace lyricue {

// What the sound device's thread does with each block: takes the frames of the playing
// generation from the ring, fades in where playback starts, resumes or jumps and out
// where it pauses, stops or jumps away, ramps volume changes over the block, mixes to
// mono when asked, and tells the play clock which source frames it handed over. It
// never waits, never allocates and takes no lock. The engine steers it from its own
// thread through setTarget() and setVolume().
class PlaybackVoice {
public:
    struct Underruns {
        std::int64_t blocks = 0;  // blocks that found the ring short
        std::int64_t frames = 0;  // frames of silence put in their place
    };

    PlaybackVoice(FrameRing& ring, PlayClock& clock);

    // Any thread: play the frames of `generation` (dropping older ones), or, when not
    // running, fall silent and keep them for later.
    void setTarget(std::uint32_t generation, bool running);
    void setVolume(int left, int right);  // 0 to 100
    // Before playing: fade length (0 for none) and mono mixing.
    void setShape(int fadeFrames, bool mono);

    // The output's thread: fills `frames` frames; returns how many came from the track
    // (fading out included). Output frames are counted from the last restart().
    int render(float* stereo, int frames);
    std::int64_t outputFrames() const { return m_outputFrames; }
    // Only while no output runs: counts output frames from 0 again.
    void restart();

    // Any thread.
    Underruns underruns() const;
    // The output frame where the frames of `generation` ran out at its end; -1 before.
    std::int64_t endOf(std::uint32_t generation) const;
    // The output frame from which the voice is silent while not running; -1 before.
    std::int64_t quietFrom(std::uint32_t generation) const;

private:
    struct Run {
        std::int64_t outputStart = 0;
        int frames = 0;
        double sourceStart = 0;
        double sourceNext = 0;
    };
    // The block being rendered: frames filled so far, and ring frames used.
    struct Block {
        float* stereo;
        int frames;
        int available;  // ring frames readable when the block began
        int filled = 0;
        int used = 0;
        int fromTrack = 0;
        int missing = 0;  // frames of silence for a late decoder
    };
    void closeRun(Run& run);
    // The block's steps, in order; each fills on from where the last stopped.
    void takeFadingOut(Block& block, int fadeFrames);
    void takePlaying(Block& block, std::uint32_t generation, int fadeFrames);
    void fallQuiet(Block& block, std::uint32_t generation);
    void skipStale(Block& block, std::uint32_t generation) const;
    // Puts the ring frame at `ringOffset` into the block, as it is.
    void copyFrame(Block& block, int ringOffset) const;

    FrameRing& m_ring;
    PlayClock& m_clock;
    // The generation in the top 32 bits, running in bit 0.
    std::atomic<std::uint64_t> m_target{0};
    std::atomic<std::uint32_t> m_volume{(100u << 16) | 100u};
    std::atomic<int> m_fadeFrames{0};
    std::atomic<bool> m_mono{false};
    std::atomic<std::int64_t> m_underrunBlocks{0};
    std::atomic<std::int64_t> m_underrunFrames{0};
    std::atomic<std::uint64_t> m_end{~std::uint64_t(0)};
    std::atomic<std::uint64_t> m_quiet{~std::uint64_t(0)};

    // The output's thread only.
    std::int64_t m_outputFrames = 0;
    std::uint32_t m_voiceGeneration = 0;
    std::uint32_t m_clockGeneration = 0;
    bool m_heardAny = false;
    bool m_audible = false;  // the last block played anything
    int m_fade = 0;  // steps into the fade-in, 0 (silent) to the fade length (full)
    float m_gainLeft = 1;
    float m_gainRight = 1;
};

}  // namespace lyricue
