#include "sdl_output.h"

#include "sdl_audio_api.h"

#include <cstdio>

SdlOutput::SdlOutput(Pull pull)
    : m_pull(std::move(pull))
{
}

SdlOutput::~SdlOutput()
{
    release();
}

bool SdlOutput::open(int sampleRate, int bufferFrames)
{
    close();
    const SdlAudioApi* sdl = sdlAudio();
    if (!sdl)
        return false;
    if (!m_audioStarted) {
        if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "Lyricue: no sound output: %s\n", sdl->GetError());
            return false;
        }
        m_audioStarted = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(bufferFrames);
    wanted.callback = &SdlOutput::callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants, so the callback
    // always gets the rate and buffer asked for here.
    m_device = sdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0) {
        std::fprintf(stderr, "Lyricue: cannot open the sound device: %s\n", sdl->GetError());
        return false;
    }
    m_sampleRate = obtained.freq;
    m_bufferFrames = obtained.samples;
    return true;
}

void SdlOutput::close()
{
    if (m_device != 0)
        sdlAudio()->CloseAudioDevice(m_device);
    m_device = 0;
    m_sampleRate = 0;
    m_bufferFrames = 0;
}

void SdlOutput::setPaused(bool paused)
{
    if (m_device != 0)
        sdlAudio()->PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SdlOutput::release()
{
    close();
    if (m_audioStarted)
        sdlAudio()->QuitSubSystem(SDL_INIT_AUDIO);
    m_audioStarted = false;
}

void SdlOutput::callback(void* self, std::uint8_t* stream, int bytes)
{
    auto* output = static_cast<SdlOutput*>(self);
    output->m_pull(reinterpret_cast<float*>(stream), bytes / static_cast<int>(2 * sizeof(float)));
}
