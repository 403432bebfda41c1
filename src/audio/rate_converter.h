#pragma once

#include <cstdint>

struct _SDL_AudioStream;

namespace lyricue {

// Converts interleaved stereo float frames from the track's rate to the output's rate
// (an SDL_AudioStream).
class RateConverter {
public:
    RateConverter(int fromRate, int toRate);
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;
    ~RateConverter();

    bool isValid() const { return m_stream != nullptr; }
    int fromRate() const { return m_fromRate; }
    int toRate() const { return m_toRate; }

    void put(const float* stereo, int frames);
    // No more input: what the resampler still holds becomes available.
    void flush();
    int get(float* stereo, int frames);
    // Output frames ready to be got.
    int available() const;
    void clear();

private:
    _SDL_AudioStream* m_stream = nullptr;
    int m_fromRate;
    int m_toRate;
};

}  // namespace lyricue
