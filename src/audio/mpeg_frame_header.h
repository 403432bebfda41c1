#pragma once

#include <optional>

namespace lyricue {

// One MPEG audio frame header, as far as finding frames and the Xing/Info header needs.
struct MpegFrameHeader {
    int version = 1;  // 1, 2, or 25 for MPEG 2.5
    int layer = 3;
    int bitRateKbps = 0;
    int sampleRate = 0;
    bool padded = false;
    bool mono = false;
    bool hasCrc = false;

    // Reads four header bytes; nothing for bytes that are no valid header (free-format
    // frames included, which this program does not play).
    static std::optional<MpegFrameHeader> parse(const unsigned char* bytes);

    // Length of the whole frame in bytes, header included.
    int frameBytes() const;
    int samplesPerFrame() const;
    // Offset of a Xing/Info header from the frame's first byte: header, CRC, side info.
    int xingOffset() const;
    // True when another header belongs to the same stream (same version, layer, rate).
    bool sameStream(const MpegFrameHeader& other) const;
};

}  // namespace lyricue
