#pragma once

#include "audio/decoder.h"

#include <QString>

#include <memory>

namespace lyricue {

// A decoder of its own for any file the engine plays (openDecoderFor), for work beside
// playback (the waveform's peaks); none when the file does not open.
std::unique_ptr<Decoder> openPeakDecoder(const QString& path);

}  // namespace lyricue
