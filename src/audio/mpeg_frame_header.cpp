#include "audio/mpeg_frame_header.h"

namespace lyricue {

namespace {

// Bit rates in kbit/s by [MPEG 1 ? 0 : 1][layer - 1][index]; index 0 (free format) and
// 15 (invalid) are 0.
constexpr int kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};

}  // namespace

std::optional<MpegFrameHeader> MpegFrameHeader::parse(const unsigned char* bytes)
{
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (bytes[1] >> 3) & 3;
    const int layerBits = (bytes[1] >> 1) & 3;
    const int bitRateIndex = bytes[2] >> 4;
    const int rateIndex = (bytes[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3 || (bytes[3] & 3) == 2)
        return std::nullopt;

    MpegFrameHeader header;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = 4 - layerBits;
    header.bitRateKbps = kBitRates[header.version == 1 ? 0 : 1][header.layer - 1][bitRateIndex];
    if (header.bitRateKbps == 0)
        return std::nullopt;
    const int divisor = header.version == 1 ? 1 : header.version == 2 ? 2 : 4;
    header.sampleRate = kMpeg1Rates[rateIndex] / divisor;
    header.padded = (bytes[2] >> 1) & 1;
    header.mono = (bytes[3] >> 6) == 3;
    header.hasCrc = (bytes[1] & 1) == 0;
    return header;
}

int MpegFrameHeader::samplesPerFrame() const
{
    if (layer == 1)
        return 384;
    return layer == 3 && version != 1 ? 576 : 1152;
}

int MpegFrameHeader::frameBytes() const
{
    if (layer == 1)
        return (12 * bitRateKbps * 1000 / sampleRate + (padded ? 1 : 0)) * 4;
    return samplesPerFrame() / 8 * bitRateKbps * 1000 / sampleRate + (padded ? 1 : 0);
}

int MpegFrameHeader::xingOffset() const
{
    const int sideInfo = version == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (hasCrc ? 2 : 0) + sideInfo;
}

bool MpegFrameHeader::sameStream(const MpegFrameHeader& other) const
{
    return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
}

}  // namespace lyricue
