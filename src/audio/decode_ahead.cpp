#include "audio/decode_ahead.h"

#include <algorithm>
#include <cmath>

namespace lyricue {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Output frames decoded at a time: small enough that the first frame after a seek is
// in the ring soon, large enough that decoding is not all overhead.
constexpr int kChunkFrames = 1024;
// Source frames fed to the rate converter at a time.
constexpr int kConvertChunk = 2048;
// Silence put after the source's last frame: SDL's resampler keeps back 512 frames for
// its filter, and a flush alone does not bring them out.
constexpr int kConvertTail = 2048;

}  // namespace

DecodeAhead::DecodeAhead(FrameRing& ring)
    : m_ring(ring)
    , m_chunk(std::size_t(kChunkFrames) * 2)
    , m_input(std::size_t(std::max(kConvertChunk, kConvertTail)) * 2)
    , m_thread([this] { run(); })
{
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void DecodeAhead::setSource(std::unique_ptr<Decoder> source)
{
    std::unique_ptr<Decoder> unused;
    {
        std::lock_guard lock(m_mutex);
        unused = std::move(m_nextSource);
        m_nextSource = std::move(source);
        m_sourceChanged = true;
        m_nextStart.reset();
        m_landing.reset();
    }
    m_wake.notify_all();
}

void DecodeAhead::start(std::uint32_t generation, std::int64_t frame, int outputRate, double speed)
{
    {
        std::lock_guard lock(m_mutex);
        m_nextStart = Start{generation, frame, outputRate, speed, Clock::now()};
        m_playing.store(false, std::memory_order_relaxed);
        m_idleAsked = false;
        m_startToFirstFrame.reset();
    }
    m_wake.notify_all();
}

void DecodeAhead::play()
{
    m_playing.store(true, std::memory_order_relaxed);
    m_wake.notify_all();
}

void DecodeAhead::idle()
{
    {
        std::lock_guard lock(m_mutex);
        m_idleAsked = true;
        m_nextStart.reset();
    }
    m_wake.notify_all();
}

std::optional<std::int64_t> DecodeAhead::landed(std::uint32_t generation) const
{
    std::lock_guard lock(m_mutex);
    if (m_landing && m_landing->first == generation)
        return m_landing->second;
    return std::nullopt;
}

bool DecodeAhead::waitForLanding(std::uint32_t generation, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    return m_progress.wait_for(lock, limit, [&] { return m_landing && m_landing->first == generation; });
}

void DecodeAhead::waitForProgress(std::uint64_t writeCount, std::chrono::milliseconds limit)
{
    m_wake.notify_all();
    std::unique_lock lock(m_mutex);
    m_progress.wait_for(lock, limit, [&] { return m_quit || m_ring.writeCount() != writeCount; });
}

std::optional<std::chrono::nanoseconds> DecodeAhead::lastStartToFirstFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_startToFirstFrame;
}

void DecodeAhead::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_sourceChanged) {
            m_sourceChanged = false;
            m_filling = false;
            std::unique_ptr<Decoder> next = std::move(m_nextSource);
            lock.unlock();
            // The old source closes here, off the caller's thread.
            m_source = std::move(next);
            m_converter.reset();
            lock.lock();
            continue;
        }
        if (m_idleAsked) {
            m_idleAsked = false;
            m_filling = false;
            continue;
        }
        if (m_nextStart) {
            const Start start = *m_nextStart;
            m_nextStart.reset();
            lock.unlock();
            begin(start);
            const std::int64_t landedAt = m_source ? m_source->position() : start.frame;
            lock.lock();
            m_landing = std::pair{start.generation, landedAt};
            m_progress.notify_all();
            continue;
        }
        if (m_filling && wantsMore()) {
            lock.unlock();
            const bool more = fillChunk();
            lock.lock();
            if (m_firstFrameAt && !m_startToFirstFrame)
                m_startToFirstFrame = *m_firstFrameAt - m_current.askedAt;
            m_filling = more;
            m_progress.notify_all();
            continue;
        }
        if (!m_filling || m_current.outputRate <= 0) {
            m_wake.wait(lock);  // until called
            continue;
        }
        // Sleep until the ring has drained to its low mark, or until called.
        const std::uint64_t ahead = m_ring.writeCount() - std::max(m_ring.readCount(), m_generationStart);
        const double aboveLow = double(ahead) - kLowSeconds * m_current.outputRate;
        m_wake.wait_for(lock, std::clamp(std::chrono::milliseconds(std::int64_t(aboveLow * 1000 / m_current.outputRate)),
                                         2ms, 50ms));
    }
}

int DecodeAhead::fillTarget() const
{
    const double seconds = m_playing.load(std::memory_order_relaxed) ? kAheadSeconds : kPrefillSeconds;
    const int ahead = static_cast<int>(seconds * m_current.outputRate);
    return std::min(ahead, m_ring.capacity() / 2 - kChunkFrames);
}

bool DecodeAhead::wantsMore()
{
    if (m_ring.writable() < kChunkFrames)
        return false;
    const std::uint64_t ahead = m_ring.writeCount() - std::max(m_ring.readCount(), m_generationStart);
    if (double(ahead) < kLowSeconds * m_current.outputRate || ahead < std::uint64_t(fillTarget()) / 2)
        m_refilling = true;
    if (ahead >= std::uint64_t(fillTarget()))
        m_refilling = false;
    return m_refilling;
}

void DecodeAhead::begin(const Start& start)
{
    m_current = start;
    m_generationStart = m_ring.writeCount();
    m_firstFrameAt.reset();
    m_refilling = true;
    m_filling = true;
    if (!m_source) {
        m_ring.markEnd(start.generation);
        m_filling = false;
        return;
    }
    // A source that cannot move there ends, as a cut file does.
    if (!m_source->seek(start.frame).ok()) {
        m_ring.markEnd(start.generation);
        m_filling = false;
        return;
    }
    const int sourceRate = m_source->sampleRate();
    const double speed = m_speedChange.begin(*m_source, start.speed);
    if (start.outputRate == sourceRate) {
        m_converter.reset();
        return;
    }
    if (!m_converter || m_converter->fromRate() != sourceRate || m_converter->toRate() != start.outputRate)
        m_converter = std::make_unique<RateConverter>(sourceRate, start.outputRate);
    m_converter->clear();
    m_convertFrom = m_source->position();
    m_outputGot = 0;
    const std::int64_t left = std::max<std::int64_t>(0, m_source->lengthFrames() - m_convertFrom);
    m_outputTotal = std::int64_t(std::ceil(double(left) / speed * start.outputRate / sourceRate));
    m_inputDone = false;
}

bool DecodeAhead::fillChunk()
{
    const int frames = std::min(kChunkFrames, m_ring.writable());
    const std::uint32_t generation = m_current.generation;
    int got = 0;
    bool ended = false;
    if (!m_converter) {
        const double from = m_speedChange.nextSourceFrame();
        got = m_speedChange.read(*m_source, m_chunk.data(), frames);
        if (got > 0)
            m_ring.write(m_chunk.data(), got, from, m_speedChange.speed(), generation);
        ended = got < frames;
    } else {
        while (!m_inputDone && m_converter->available() < frames) {
            const int decoded = m_speedChange.read(*m_source, m_input.data(), kConvertChunk);
            m_converter->put(m_input.data(), decoded);
            if (decoded < kConvertChunk) {
                std::fill(m_input.begin(), m_input.end(), 0.0f);
                m_converter->put(m_input.data(), kConvertTail);
                m_converter->flush();
                m_inputDone = true;
            }
        }
        const int wanted = static_cast<int>(std::min<std::int64_t>(frames, m_outputTotal - m_outputGot));
        got = m_converter->get(m_chunk.data(), wanted);
        const double step = m_speedChange.speed() * m_converter->fromRate() / m_converter->toRate();
        if (got > 0)
            m_ring.write(m_chunk.data(), got, double(m_convertFrom) + double(m_outputGot) * step, step, generation);
        m_outputGot += got;
        ended = m_outputGot >= m_outputTotal || (m_inputDone && m_converter->available() == 0);
    }
    if (got > 0 && !m_firstFrameAt)
        m_firstFrameAt = Clock::now();
    if (ended)
        m_ring.markEnd(generation);
    return !ended;
}

}  // namespace lyricue
