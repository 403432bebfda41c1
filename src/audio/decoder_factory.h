#pragma once

#include "audio/decoder.h"
#include "base/result.h"

#include <QString>

#include <memory>

namespace lyricue {

// Opens a music file for decoding with the decoder its contents call for: MP3 streams
// and RIFF 'RMP3' files with mpg123; FLAC, Ogg (Vorbis, Opus), MP4/M4A (AAC) and WAV
// with the FFmpeg module, which is loaded the first time such a file is opened. The
// decoder starts at frame 0 (in a damaged stream, at the first frame that decodes);
// the engine and the waveform both use it.
ResultOf<std::unique_ptr<Decoder>> openDecoderFor(const QString& path, int readBufferBytes = 64 * 1024);

// Whether the file's first bytes are those of a container that the FFmpeg module reads
// (false for MP3 and RMP, and for files that cannot be read).
bool isFfmpegContainer(const QString& path);

}  // namespace lyricue
