#include "audio/rate_converter.h"

#include "audio/sdl_audio_api.h"

namespace lyricue {

namespace {
constexpr int kFrameBytes = 2 * sizeof(float);
}

RateConverter::RateConverter(int fromRate, int toRate)
    : m_stream(sdlAudio() ? sdlAudio()->NewAudioStream(AUDIO_F32SYS, 2, fromRate, AUDIO_F32SYS, 2, toRate) : nullptr)
    , m_fromRate(fromRate)
    , m_toRate(toRate)
{
}

RateConverter::~RateConverter()
{
    if (m_stream)
        sdlAudio()->FreeAudioStream(m_stream);
}

void RateConverter::put(const float* stereo, int frames)
{
    if (m_stream && frames > 0)
        sdlAudio()->AudioStreamPut(m_stream, stereo, frames * kFrameBytes);
}

void RateConverter::flush()
{
    if (m_stream)
        sdlAudio()->AudioStreamFlush(m_stream);
}

int RateConverter::get(float* stereo, int frames)
{
    if (!m_stream || frames <= 0)
        return 0;
    const int bytes = sdlAudio()->AudioStreamGet(m_stream, stereo, frames * kFrameBytes);
    return bytes > 0 ? bytes / kFrameBytes : 0;
}

int RateConverter::available() const
{
    return m_stream ? sdlAudio()->AudioStreamAvailable(m_stream) / kFrameBytes : 0;
}

void RateConverter::clear()
{
    if (m_stream)
        sdlAudio()->AudioStreamClear(m_stream);
}

}  // namespace lyricue
