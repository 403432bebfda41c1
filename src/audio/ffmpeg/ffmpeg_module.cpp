#include "audio/ffmpeg/ffmpeg_decoder.h"
#include "audio/ffmpeg/ffmpeg_module_entry.h"

#include <QtGlobal>

#include <utility>

extern "C" {
#include <libavutil/log.h>
}

namespace lyricue {

extern "C" Q_DECL_EXPORT Decoder* lyricue_open_ffmpeg_decoder(const QString* path, QString* error)
{
    static_assert(std::is_same_v<decltype(&lyricue_open_ffmpeg_decoder), FfmpegModuleEntry>);
    // A damaged file's complaints on standard error tell the user nothing: the refusal
    // comes back in `error`.
    av_log_set_level(AV_LOG_QUIET);
    // A plain pointer and string cross the loaded module's C boundary; the Result stays inside.
    ResultOf<std::unique_ptr<FfmpegDecoder>> opened = FfmpegDecoder::open(*path);
    if (!opened.ok()) {
        *error = opened.errorString();
        return nullptr;
    }
    return std::move(opened).value().release();
}

}  // namespace lyricue
