#pragma once

#include "audio/mpeg_frame_header.h"

#include <cstdint>
#include <optional>

class QFile;

namespace lyricue {

// Where the MP3 stream lies in a file (all of a plain MP3 file, the 'data' chunk of a
// RIFF file such as an RMP) and what its Xing/Info header says.
struct StreamLayout {
    std::int64_t fileSize = 0;
    std::int64_t streamBegin = 0;  // first byte the decoder is given
    std::int64_t streamEnd = 0;    // one past the last
    bool isRiff = false;
    bool hasId3v2 = false;
    bool hasId3v1 = false;
    bool riffDataCut = false;  // the data chunk claims more bytes than the file holds
    std::int64_t firstFrame = -1;  // -1 when no run of frames starts near the beginning
    MpegFrameHeader firstHeader;
    bool hasXing = false;
    bool xingMarksVbr = false;  // the header reads "Xing" (variable rate), not "Info"
    std::optional<std::uint32_t> xingFrames;
    std::optional<std::uint32_t> xingBytes;

    // Reads the head of an open file. Nothing for a RIFF file without a data chunk.
    static std::optional<StreamLayout> read(QFile& file);

    // True when the file lacks bytes that its own headers promise: the RIFF data chunk
    // or the Xing/Info byte count runs past the end of the file.
    bool isCut() const;
    // True when the file holds more than the Xing/Info byte count and the tags explain:
    // junk or something else lies between the frames.
    bool hasStrayBytes() const;

    // The number of whole frames from the frame at `offset` on, up to `end` or to the
    // first bytes that are no frame header.
    static std::int64_t completeFrames(QFile& file, std::int64_t offset, std::int64_t end);
};

}  // namespace lyricue
