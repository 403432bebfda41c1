#pragma once

#include <QByteArrayView>
#include <QString>

namespace lyricue {

// What a track file holds, from its first bytes: an MP3 stream (perhaps behind an ID3v2
// tag), an RMP (RIFF with MP3 data), a WAVE file, FLAC, Ogg (Vorbis, Opus, FLAC) or MP4.
enum class TrackContainer { Mpeg, Rmp, Wave, Flac, Ogg, Mp4 };

// From the file's first 12 bytes (fewer when it is shorter); Mpeg when nothing else fits.
TrackContainer trackContainerOf(QByteArrayView head);
// The same for the file at `path`; Mpeg when it cannot be read.
TrackContainer trackContainerOfFile(const QString& path);

}  // namespace lyricue
