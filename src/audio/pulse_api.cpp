#include "audio/pulse_api.h"

#include <QLibrary>

#include <optional>

namespace lyricue {

namespace {

std::optional<PulseApi> loadApi()
{
    QLibrary library;  // going out of scope leaves the library loaded, as it must stay
    library.setFileNameAndVersion(QStringLiteral("pulse"), 0);
    if (!library.load())
        return std::nullopt;
    PulseApi api{};
    bool complete = true;
#define LYRICUE_PULSE_RESOLVE(name)                                                                                    \
    api.name = reinterpret_cast<decltype(api.name)>(library.resolve(#name));                                           \
    complete = complete && api.name != nullptr;
    LYRICUE_PULSE_FUNCTIONS(LYRICUE_PULSE_RESOLVE)
#undef LYRICUE_PULSE_RESOLVE
    if (!complete)
        return std::nullopt;
    return api;
}

}  // namespace

const PulseApi* pulseApi()
{
    static const std::optional<PulseApi> api = loadApi();
    return api ? &*api : nullptr;
}

}  // namespace lyricue
