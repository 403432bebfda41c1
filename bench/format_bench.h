#pragma once

#include <QString>

namespace lyricue {

// The formats FFmpeg decodes: the open time of 60-minute FLAC, M4A, Ogg Vorbis and Opus
// tracks through openDecoderFor, and the decoding speed and seek time of each format,
// beside MP3's through mpg123.
namespace format_bench {

// `noiseWav` is a stereo 44.1 kHz WAV of a few seconds; the tracks are made from it in
// `folder` with ffmpeg. Prints the figures; false when a target was missed.
bool run(const QString& noiseWav, const QString& mp3, const QString& folder);

}  // namespace format_bench

}  // namespace lyricue
