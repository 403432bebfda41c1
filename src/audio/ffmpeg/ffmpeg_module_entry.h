#pragma once

#include "base/result.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace lyricue {

class Decoder;

// The one function of the FFmpeg decoding module (lyricue_ffmpeg), which holds
// everything that uses libavformat, libavcodec and libswresample: openDecoderFor
// (audio/decoder_factory.h) loads the module when such a track is first opened, so
// that FFmpeg is not loaded at start-up. It returns a new decoder, or nullptr with the
// reason in Japanese in `error`.
inline constexpr const char* ffmpegModuleEntryName = "lyricue_open_ffmpeg_decoder";
using FfmpegModuleEntry = Decoder* (*)(const QString* path, QString* error);

// The module's function, from the first of `folders` that holds a module that has it;
// when none does, the message gives each folder's reason.
ResultOf<FfmpegModuleEntry> loadFfmpegModule(const QStringList& folders);

// Opens `path` with the module's function.
ResultOf<std::unique_ptr<Decoder>> openWithFfmpegModule(FfmpegModuleEntry entry, const QString& path);

}  // namespace lyricue
