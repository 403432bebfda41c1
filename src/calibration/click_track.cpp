#include "calibration/click_track.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lyricue {

namespace {

// A 2 kHz tone that starts at full strength and dies away within 30 ms: its first sample is
// the loudest, so the ear hears the click where it starts.
constexpr double kToneHz = 2000;
constexpr double kDecayMs = 6;
constexpr int kClickFrames = ClickTrack::kRate * 30 / 1000;
constexpr float kLevel = 0.6f;

}  // namespace

ClickTrack::ClickTrack(Beat beat)
    : m_beat(beat)
    , m_length(clickFrame(std::max(beat.count, 0)))  // the beat after the last click
{
}

std::int64_t ClickTrack::clickFrame(int index) const
{
    return std::llround((m_beat.leadInMs + index * beatMs()) * kRate / 1000.0);
}

std::vector<double> ClickTrack::clickTimesMs() const
{
    std::vector<double> times;
    for (int index = 0; index < m_beat.count; ++index)
        times.push_back(double(clickFrame(index)) * 1000.0 / kRate);
    return times;
}

Result ClickTrack::seek(std::int64_t frame)
{
    if (frame < 0 || frame > m_length)
        return seekRefused(frame);
    m_position = frame;
    return Result();
}

int ClickTrack::read(float* stereo, int frames)
{
    const int count = int(std::clamp<std::int64_t>(m_length - m_position, 0, frames));
    for (int i = 0; i < count; ++i)
        stereo[2 * i] = stereo[2 * i + 1] = sampleAt(m_position + i);
    m_position += count;
    return count;
}

float ClickTrack::sampleAt(std::int64_t frame) const
{
    const std::int64_t first = clickFrame(0);
    if (frame < first || m_beat.count <= 0)
        return 0.0f;
    // The click this frame may belong to: the last one that started at or before it.
    int index = int((double(frame - first) * 1000.0 / kRate) / beatMs());
    index = std::min(index + 1, m_beat.count - 1);
    while (index > 0 && clickFrame(index) > frame)
        --index;
    const std::int64_t into = frame - clickFrame(index);
    if (into >= kClickFrames)
        return 0.0f;
    const double seconds = double(into) / kRate;
    return kLevel * float(std::cos(2 * std::numbers::pi * kToneHz * seconds) * std::exp(-seconds * 1000.0 / kDecayMs));
}

}  // namespace lyricue
