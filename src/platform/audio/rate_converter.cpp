#include "rate_converter.h"

#include <SDL.h>

namespace {
constexpr int kFrameBytes = 2 * sizeof(float);
}

RateConverter::RateConverter(int fromRate, int toRate)
    : m_stream(SDL_NewAudioStream(AUDIO_F32SYS, 2, fromRate, AUDIO_F32SYS, 2, toRate))
    , m_fromRate(fromRate)
    , m_toRate(toRate)
{
}

RateConverter::~RateConverter()
{
    if (m_stream)
        SDL_FreeAudioStream(m_stream);
}

void RateConverter::put(const float* stereo, int frames)
{
    if (m_stream && frames > 0)
        SDL_AudioStreamPut(m_stream, stereo, frames * kFrameBytes);
}

void RateConverter::flush()
{
    if (m_stream)
        SDL_AudioStreamFlush(m_stream);
}

int RateConverter::get(float* stereo, int frames)
{
    if (!m_stream || frames <= 0)
        return 0;
    const int bytes = SDL_AudioStreamGet(m_stream, stereo, frames * kFrameBytes);
    return bytes > 0 ? bytes / kFrameBytes : 0;
}

int RateConverter::available() const
{
    return m_stream ? SDL_AudioStreamAvailable(m_stream) / kFrameBytes : 0;
}

void RateConverter::clear()
{
    if (m_stream)
        SDL_AudioStreamClear(m_stream);
}
