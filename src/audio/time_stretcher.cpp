#include "audio/time_stretcher.h"

#include "audio/library_loader.h"
#include "audio/stretch/stretch_module_entry.h"

namespace lyricue {

ResultOf<std::unique_ptr<TimeStretcher>> makeTimeStretcher(int sampleRate)
{
    static const ResultOf<StretchModuleEntry> module = loadModuleEntry<StretchModuleEntry>(
        QStringLiteral("lyricue_stretch"), stretchModuleEntryName, moduleFolders(),
        QStringLiteral("速度変更モジュール lyricue_stretch"));
    if (!module.ok())
        return Result::failure(module.errorString());
    return std::unique_ptr<TimeStretcher>(module.value()(sampleRate));
}

}  // namespace lyricue
