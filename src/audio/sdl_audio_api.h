#pragma once

#include <SDL.h>

namespace lyricue {

// The SDL2 functions the engine uses, looked up in the SDL2 library when first asked
// for. The program is not linked to SDL2, so starting it does not load SDL2 and the
// sound system libraries behind it (a large share of start-up time); they are loaded
// when a track first needs a rate converter or a sound device.
#define LYRICUE_SDL_FUNCTIONS(X)                                                                                       \
    X(InitSubSystem)                                                                                                   \
    X(QuitSubSystem)                                                                                                   \
    X(GetError)                                                                                                        \
    X(OpenAudioDevice)                                                                                                 \
    X(CloseAudioDevice)                                                                                                \
    X(PauseAudioDevice)                                                                                                \
    X(GetAudioDeviceStatus)                                                                                            \
    X(NewAudioStream)                                                                                                  \
    X(FreeAudioStream)                                                                                                 \
    X(AudioStreamPut)                                                                                                  \
    X(AudioStreamGet)                                                                                                  \
    X(AudioStreamFlush)                                                                                                \
    X(AudioStreamAvailable)                                                                                            \
    X(AudioStreamClear)

struct SdlAudioApi {
#define LYRICUE_SDL_MEMBER(name) decltype(&::SDL_##name) name;
    LYRICUE_SDL_FUNCTIONS(LYRICUE_SDL_MEMBER)
#undef LYRICUE_SDL_MEMBER
};

// The functions, or nullptr (noted once in the log) when the SDL2 library cannot be
// loaded or lacks one of them. Safe to call from any thread.
const SdlAudioApi* sdlAudio();

}  // namespace lyricue
