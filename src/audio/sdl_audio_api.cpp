#include "audio/sdl_audio_api.h"

#include "audio/library_loader.h"
#include "base/log.h"

#include <optional>

namespace lyricue {

namespace {

std::optional<SdlAudioApi> loadApi()
{
    // The names the SDL2 library goes by: its run-time name on Linux and the BSDs
    // (libSDL2-2.0.so.0), then the plain one (SDL2.dll, libSDL2.dylib, libSDL2.so).
    LibrarySearch search{{{QStringLiteral("SDL2-2.0"), 0}, {QStringLiteral("SDL2")}}, {}, {}, QStringLiteral("SDL2")};
#define LYRICUE_SDL_NAME(name) search.functions.append(QByteArrayLiteral("SDL_" #name));
    LYRICUE_SDL_FUNCTIONS(LYRICUE_SDL_NAME)
#undef LYRICUE_SDL_NAME
    const ResultOf<LoadedLibrary> library = loadLibrary(search);
    if (!library.ok()) {
        logWarning(QStringLiteral("no sound output through SDL: %1").arg(library.errorString()));
        return std::nullopt;
    }
    SdlAudioApi api{};
#define LYRICUE_SDL_RESOLVE(name) api.name = library->function<decltype(api.name)>(QByteArrayLiteral("SDL_" #name));
    LYRICUE_SDL_FUNCTIONS(LYRICUE_SDL_RESOLVE)
#undef LYRICUE_SDL_RESOLVE
    return api;
}

}  // namespace

const SdlAudioApi* sdlAudio()
{
    static const std::optional<SdlAudioApi> api = loadApi();
    return api ? &*api : nullptr;
}

}  // namespace lyricue
