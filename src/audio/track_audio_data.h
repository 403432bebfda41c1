#pragma once

#include "audio/track_container.h"
#include "base/result.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace lyricue {

// A run of bytes of a file.
struct ByteSpan {
    qsizetype offset = 0;
    qsizetype size = 0;
};

// Where a track file's audio lies, apart from its tags, in file order: an MP3 after its
// ID3v2 tags (what follows, ID3v1 and APE tags included, is kept as it is); a WAVE
// file's "data" chunk; FLAC after its metadata blocks; the packets of an Ogg file after
// its header packets (page headers are not audio: pages are renumbered when the comment
// grows); the payloads of an MP4 file's "mdat" boxes. Fails for a file whose structure
// does not hold together, and for RMP files.
ResultOf<std::vector<ByteSpan>> audioDataSpans(QByteArrayView file, TrackContainer container);

// Whether the track `changed` holds the same audio data, byte for byte, as `original`;
// the failure says how they differ (or why either cannot be read).
Result sameAudioData(const QString& original, const QString& changed);

}  // namespace lyricue
