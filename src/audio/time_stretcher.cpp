#include "audio/time_stretcher.h"

#include "audio/module_loader.h"
#include "audio/stretch/stretch_module_entry.h"

#include <cstdio>

namespace lyricue {

std::unique_ptr<TimeStretcher> makeTimeStretcher(int sampleRate)
{
    static const StretchModuleEntry entry = [] {
        QString reasons;
        auto loaded = reinterpret_cast<StretchModuleEntry>(loadModuleFunction(
            QStringLiteral("lyricue_stretch"), stretchModuleEntryName, moduleFolders(), &reasons));
        if (!loaded)
            std::fprintf(stderr, "Lyricue: cannot load the time-stretching module, so every speed plays at 100 %%: %s\n",
                         qPrintable(reasons));
        return loaded;
    }();
    return std::unique_ptr<TimeStretcher>(entry ? entry(sampleRate) : nullptr);
}

}  // namespace lyricue
