#include "support/generated_sources.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

namespace lyricue {

GeneratedSource::GeneratedSource(int sampleRate, double seconds)
    : m_rate(sampleRate)
    , m_length(std::llround(seconds * sampleRate))
{
}

Result GeneratedSource::seek(std::int64_t frame)
{
    if (frame < 0 || frame > m_length)
        return seekRefused(frame);
    m_position = frame;
    return Result();
}

int GeneratedSource::read(float* stereo, int frames)
{
    const int count = static_cast<int>(std::clamp<std::int64_t>(m_length - m_position, 0, frames));
    for (int i = 0; i < count; ++i)
        stereo[2 * i] = stereo[2 * i + 1] = sampleAt(m_position + i);
    m_position += count;
    return count;
}

ToneSource::ToneSource(int sampleRate, double frequency, double seconds, float amplitude)
    : GeneratedSource(sampleRate, seconds)
    , m_step(2 * std::numbers::pi * frequency / sampleRate)
    , m_amplitude(amplitude)
{
}

float ToneSource::sampleAt(std::int64_t frame) const
{
    return m_amplitude * float(std::sin(m_step * double(frame)));
}

ClickSource::ClickSource(int sampleRate, double seconds, std::int64_t firstClick, std::int64_t every)
    : GeneratedSource(sampleRate, seconds)
    , m_firstClick(firstClick)
    , m_every(every)
{
}

float ClickSource::sampleAt(std::int64_t frame) const
{
    return frame >= m_firstClick && (frame - m_firstClick) % m_every == 0 ? 0.8f : 0.0f;
}

BurstSource::BurstSource(int sampleRate, double seconds, std::int64_t firstBurst, std::int64_t every)
    : GeneratedSource(sampleRate, seconds)
    , m_firstBurst(firstBurst)
    , m_every(every)
    , m_rate(sampleRate)
{
}

float BurstSource::sampleAt(std::int64_t frame) const
{
    if (frame < m_firstBurst)
        return 0.0f;
    const std::int64_t into = (frame - m_firstBurst) % m_every;
    if (into >= m_rate / 100)
        return 0.0f;
    return 0.8f * float(std::sin(2 * M_PI * 1000.0 * double(into) / m_rate));
}

StallingSource::StallingSource(std::unique_ptr<Decoder> source, int stallAt, std::chrono::milliseconds stall)
    : m_source(std::move(source))
    , m_stallAt(stallAt)
    , m_stall(stall)
{
}

int StallingSource::read(float* stereo, int frames)
{
    if (++m_reads == m_stallAt)
        std::this_thread::sleep_for(m_stall);
    return m_source->read(stereo, frames);
}

}  // namespace lyricue
