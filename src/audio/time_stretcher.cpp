#include "audio/time_stretcher.h"

#include "audio/library_loader.h"
#include "audio/stretch/stretch_module_entry.h"
#include "base/log.h"

namespace lyricue {

std::unique_ptr<TimeStretcher> makeTimeStretcher(int sampleRate)
{
    static const StretchModuleEntry entry = [] {
        const ResultOf<StretchModuleEntry> module = loadModuleEntry<StretchModuleEntry>(
            QStringLiteral("lyricue_stretch"), stretchModuleEntryName, moduleFolders(),
            QStringLiteral("速度変更モジュール lyricue_stretch"));
        if (!module.ok()) {
            logWarning(QStringLiteral("cannot load the time-stretching module, so every speed plays at 100 %: %1")
                           .arg(module.errorString()));
            return StretchModuleEntry(nullptr);
        }
        return module.value();
    }();
    return std::unique_ptr<TimeStretcher>(entry ? entry(sampleRate) : nullptr);
}

}  // namespace lyricue
