#pragma once

#include <QString>
#include <QStringList>

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
// nullptr when none does, with each folder's reason in `reasons`.
FfmpegModuleEntry loadFfmpegModule(const QStringList& folders, QString* reasons);

}  // namespace lyricue
