#pragma once

#include <SDL.h>

namespace lyricue {

// The SDL2 functions the engine uses, looked up in the SDL2 library when first asked
// for. The program is not linked to SDL2, so starting it does not load SDL2 and the
// sound system libraries behind it (a large share of start-up time); they are loaded
// when a track first needs a rate converter or a sound device.
struct SdlAudioApi {
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
    decltype(&SDL_NewAudioStream) NewAudioStream;
    decltype(&SDL_FreeAudioStream) FreeAudioStream;
    decltype(&SDL_AudioStreamPut) AudioStreamPut;
    decltype(&SDL_AudioStreamGet) AudioStreamGet;
    decltype(&SDL_AudioStreamFlush) AudioStreamFlush;
    decltype(&SDL_AudioStreamAvailable) AudioStreamAvailable;
    decltype(&SDL_AudioStreamClear) AudioStreamClear;
};

// The functions, or nullptr (said once on standard error) when the SDL2 library cannot
// be loaded or lacks one of them. Safe to call from any thread.
const SdlAudioApi* sdlAudio();

}  // namespace lyricue
