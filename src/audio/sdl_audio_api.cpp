#include "audio/sdl_audio_api.h"

#include <QLibrary>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace lyricue {

namespace {

// The names the SDL2 library goes by: its run-time name on Linux and the BSDs
// (libSDL2-2.0.so.0), then the plain one (SDL2.dll, libSDL2.dylib, libSDL2.so).
bool loadSdl(QLibrary& library)
{
    library.setFileNameAndVersion(QStringLiteral("SDL2-2.0"), 0);
    if (library.load())
        return true;
    library.setFileName(QStringLiteral("SDL2"));
    return library.load();
}

template <typename Function>
bool resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

std::optional<SdlAudioApi> loadApi()
{
    QLibrary library;  // going out of scope leaves the library loaded, as it must stay
    if (!loadSdl(library)) {
        std::fprintf(stderr, "Lyricue: cannot load SDL2: %s\n", qPrintable(library.errorString()));
        return std::nullopt;
    }
    SdlAudioApi api{};
    const bool complete = resolve(library, "SDL_InitSubSystem", api.InitSubSystem)
        && resolve(library, "SDL_QuitSubSystem", api.QuitSubSystem) && resolve(library, "SDL_GetError", api.GetError)
        && resolve(library, "SDL_OpenAudioDevice", api.OpenAudioDevice)
        && resolve(library, "SDL_CloseAudioDevice", api.CloseAudioDevice)
        && resolve(library, "SDL_PauseAudioDevice", api.PauseAudioDevice)
        && resolve(library, "SDL_GetAudioDeviceStatus", api.GetAudioDeviceStatus)
        && resolve(library, "SDL_NewAudioStream", api.NewAudioStream)
        && resolve(library, "SDL_FreeAudioStream", api.FreeAudioStream)
        && resolve(library, "SDL_AudioStreamPut", api.AudioStreamPut)
        && resolve(library, "SDL_AudioStreamGet", api.AudioStreamGet)
        && resolve(library, "SDL_AudioStreamFlush", api.AudioStreamFlush)
        && resolve(library, "SDL_AudioStreamAvailable", api.AudioStreamAvailable)
        && resolve(library, "SDL_AudioStreamClear", api.AudioStreamClear);
    if (!complete) {
        std::fprintf(stderr, "Lyricue: %s lacks an audio function: %s\n", qPrintable(library.fileName()),
                     qPrintable(library.errorString()));
        return std::nullopt;
    }
    return api;
}

}  // namespace

const SdlAudioApi* sdlAudio()
{
    static const std::optional<SdlAudioApi> api = loadApi();
    return api ? &*api : nullptr;
}

}  // namespace lyricue
