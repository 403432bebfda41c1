#include "audio/pulse_api.h"

#include "audio/library_loader.h"
#include "base/log.h"

#include <optional>

namespace lyricue {

namespace {

std::optional<PulseApi> loadApi()
{
    LibrarySearch search{{{QStringLiteral("pulse"), 0}}, {}, {}, QStringLiteral("libpulse")};
#define LYRICUE_PULSE_NAME(name) search.functions.append(QByteArrayLiteral(#name));
    LYRICUE_PULSE_FUNCTIONS(LYRICUE_PULSE_NAME)
#undef LYRICUE_PULSE_NAME
    const ResultOf<LoadedLibrary> library = loadLibrary(search);
    if (!library.ok()) {
        logWarning(QStringLiteral("no sound server, sound goes through SDL: %1").arg(library.errorString()));
        return std::nullopt;
    }
    PulseApi api{};
#define LYRICUE_PULSE_RESOLVE(name) api.name = library->function<decltype(api.name)>(QByteArrayLiteral(#name));
    LYRICUE_PULSE_FUNCTIONS(LYRICUE_PULSE_RESOLVE)
#undef LYRICUE_PULSE_RESOLVE
    return api;
}

}  // namespace

const PulseApi* pulseApi()
{
    static const std::optional<PulseApi> api = loadApi();
    return api ? &*api : nullptr;
}

}  // namespace lyricue
