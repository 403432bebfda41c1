#pragma once

#include "audio/decoder.h"
#include "audio/frame_ring.h"
#include "audio/rate_converter.h"
#include "audio/speed_change.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lyricue {

// The decoding thread: keeps the frame ring filled, ahead of the sound device, with the
// frames of one source from a chosen frame on, converted to the output rate. Reading the
// file, decoding and converting all happen here. Calls from other threads only leave
// word for it and never wait for decoding; the thread holds its lock only to take that
// word, never while it decodes.
class DecodeAhead {
public:
    // How far ahead the ring is kept filled: refilled when less than kLowSeconds of
    // frames wait in it, up to kAheadSeconds (and never more than half the ring, so that
    // the frames of a new start always find room behind the ones it makes stale).
    static constexpr double kAheadSeconds = 0.5;
    static constexpr double kLowSeconds = 0.25;
    static constexpr double kPrefillSeconds = 0.1;

    explicit DecodeAhead(FrameRing& ring);
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;
    ~DecodeAhead();

    // The source to decode from the next start on (nullptr: none); the thread owns it.
    void setSource(std::unique_ptr<Decoder> source);
    // Fills the ring with the frames of `generation`: the source's frames from `frame` on
    // at `outputRate`, played at `speed` (below 1: slower, the pitch kept, each frame in
    // the ring tagged with the source frame it carries), then the end mark. Until play()
    // only kPrefillSeconds of them, so that a pause, seek or stop leaves room for the
    // next start.
    void start(std::uint32_t generation, std::int64_t frame, int outputRate, double speed = 1.0);
    // The frames are being played: keep kAheadSeconds of them ready.
    void play();
    // Stops filling.
    void idle();

    // Where the source landed for `generation` (near `frame` in a damaged stream); nothing
    // while the thread has not got there.
    std::optional<std::int64_t> landed(std::uint32_t generation) const;
    // For callers that are not a sound device: waits up to `limit` for the landing of
    // `generation`, or for the ring to have been written to since `writeCount`.
    bool waitForLanding(std::uint32_t generation, std::chrono::milliseconds limit);
    void waitForProgress(std::uint64_t writeCount, std::chrono::milliseconds limit);
    // From the last start() to its first frame in the ring; nothing before that frame.
    std::optional<std::chrono::nanoseconds> lastStartToFirstFrame() const;

private:
    struct Start {
        std::uint32_t generation;
        std::int64_t frame;
        int outputRate;
        double speed;
        std::chrono::steady_clock::time_point askedAt;
    };

    void run();
    void begin(const Start& start);
    // Decodes one chunk into the ring; false once the source has ended.
    bool fillChunk();
    int fillTarget() const;
    bool wantsMore();

    FrameRing& m_ring;

    mutable std::mutex m_mutex;  // guards what other threads leave for the thread
    std::condition_variable m_wake;
    std::condition_variable m_progress;
    bool m_quit = false;
    bool m_sourceChanged = false;
    std::unique_ptr<Decoder> m_nextSource;
    std::optional<Start> m_nextStart;
    bool m_idleAsked = false;
    std::atomic<bool> m_playing{false};
    std::optional<std::pair<std::uint32_t, std::int64_t>> m_landing;
    std::optional<std::chrono::nanoseconds> m_startToFirstFrame;

    // The thread's own.
    std::unique_ptr<Decoder> m_source;
    std::unique_ptr<RateConverter> m_converter;
    bool m_filling = false;
    bool m_refilling = false;
    Start m_current{};
    std::uint64_t m_generationStart = 0;  // ring write count where the generation began
    std::optional<std::chrono::steady_clock::time_point> m_firstFrameAt;
    std::int64_t m_convertFrom = 0;
    std::int64_t m_outputGot = 0;
    std::int64_t m_outputTotal = 0;
    bool m_inputDone = false;
    std::vector<float> m_chunk;
    std::vector<float> m_input;
    SpeedChange m_speedChange;

    std::thread m_thread;  // last, so that it starts after everything above exists
};

}  // namespace lyricue
