#include "audio/ffmpeg/ffmpeg_decoder.h"
#include "audio/ffmpeg/ffmpeg_module_entry.h"

#include <QtGlobal>

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
    return FfmpegDecoder::open(*path, error).release();
}

}  // namespace lyricue
