#include "audio/stream_layout.h"

#include <QByteArray>
#include <QFile>

namespace lyricue {

namespace {

// How far from the stream's start the first frame is looked for.
constexpr std::int64_t kSearchWindow = 64 * 1024;

std::uint32_t littleEndian32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}

std::uint32_t bigEndian32(const unsigned char* b)
{
    return (std::uint32_t(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}

QByteArray readAt(QFile& file, std::int64_t offset, std::int64_t length)
{
    if (length <= 0 || !file.seek(offset))
        return {};
    return file.read(length);
}

// Finds the RIFF 'data' chunk: sets the stream window, false when there is none.
bool findRiffData(QFile& file, StreamLayout& layout)
{
    std::int64_t offset = 12;
    while (offset + 8 <= layout.fileSize) {
        const QByteArray chunk = readAt(file, offset, 8);
        if (chunk.size() < 8)
            return false;
        const std::int64_t size = littleEndian32(chunk.constData() + 4);
        if (chunk.startsWith("data")) {
            layout.streamBegin = offset + 8;
            layout.streamEnd = std::min(layout.streamBegin + size, layout.fileSize);
            layout.riffDataCut = layout.streamBegin + size > layout.fileSize;
            return true;
        }
        offset += 8 + size + (size & 1);
    }
    return false;
}

// Skips an ID3v2 tag at the start of a plain MP3 file.
std::int64_t afterId3v2(const QByteArray& head)
{
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(head.constData());
    const std::int64_t size = (b[6] & 0x7F) << 21 | (b[7] & 0x7F) << 14 | (b[8] & 0x7F) << 7 | (b[9] & 0x7F);
    const bool hasFooter = b[5] & 0x10;
    return 10 + size + (hasFooter ? 10 : 0);
}

// The first header followed by a second one of the same stream (or by the stream's end),
// so that a stray 0xFF in leading junk is not taken for a frame.
void findFirstFrame(QFile& file, StreamLayout& layout, std::int64_t from)
{
    const QByteArray window = readAt(file, from, std::min(kSearchWindow, layout.streamEnd - from));
    const auto* bytes = reinterpret_cast<const unsigned char*>(window.constData());
    const std::int64_t size = window.size();
    for (std::int64_t p = 0; p + 4 <= size; ++p) {
        const auto header = MpegFrameHeader::parse(bytes + p);
        if (!header)
            continue;
        const std::int64_t next = p + header->frameBytes();
        bool confirmed = from + next == layout.streamEnd;
        if (!confirmed && next + 4 <= size) {
            const auto following = MpegFrameHeader::parse(bytes + next);
            confirmed = following && following->sameStream(*header);
        }
        if (!confirmed)
            continue;
        layout.firstFrame = from + p;
        layout.firstHeader = *header;
        const std::int64_t tag = p + header->xingOffset();
        if (tag + 8 > size || next > size)
            return;
        const QByteArrayView id(window.constData() + tag, 4);
        if (id != "Xing" && id != "Info")
            return;
        layout.hasXing = true;
        layout.xingMarksVbr = id == "Xing";
        const std::uint32_t flags = bigEndian32(bytes + tag + 4);
        std::int64_t field = tag + 8;
        if ((flags & 1) && field + 4 <= next) {
            layout.xingFrames = bigEndian32(bytes + field);
            field += 4;
        }
        if ((flags & 2) && field + 4 <= next)
            layout.xingBytes = bigEndian32(bytes + field);
        return;
    }
}

}  // namespace

std::optional<StreamLayout> StreamLayout::read(QFile& file)
{
    StreamLayout layout;
    layout.fileSize = file.size();
    layout.streamEnd = layout.fileSize;
    const QByteArray head = readAt(file, 0, 12);
    std::int64_t searchFrom = 0;
    if (head.size() == 12 && head.startsWith("RIFF")) {
        layout.isRiff = true;
        if (!findRiffData(file, layout))
            return std::nullopt;
        searchFrom = layout.streamBegin;
    } else {
        searchFrom = afterId3v2(readAt(file, 0, 10));
        layout.hasId3v2 = searchFrom > 0;
    }
    layout.hasId3v1 = layout.fileSize >= 128 && readAt(file, layout.fileSize - 128, 3) == "TAG";
    if (searchFrom < layout.streamEnd)
        findFirstFrame(file, layout, searchFrom);
    return layout;
}

bool StreamLayout::isCut() const
{
    if (riffDataCut)
        return true;
    // Encoders differ on whether the count includes leading tags, so it is held against
    // everything the stream window holds.
    const std::int64_t available = streamEnd - (isRiff ? streamBegin : 0);
    return xingBytes && std::int64_t(*xingBytes) > available;
}

bool StreamLayout::hasStrayBytes() const
{
    if (!xingBytes || firstFrame < 0)
        return false;
    // Encoders count from the first frame or from the file's start; an ID3v1 tag (128
    // bytes) and a frame's worth of rounding are no damage.
    constexpr std::int64_t kSlack = 2048;
    const std::int64_t fromFirstFrame = streamEnd - firstFrame;
    return std::int64_t(*xingBytes) + kSlack < fromFirstFrame
        && std::int64_t(*xingBytes) + kSlack < streamEnd - (isRiff ? streamBegin : 0);
}

std::int64_t StreamLayout::completeFrames(QFile& file, std::int64_t offset, std::int64_t end)
{
    std::int64_t frames = 0;
    for (std::int64_t position = std::max<std::int64_t>(offset, 0); position + 4 <= end; ++frames) {
        const QByteArray bytes = readAt(file, position, 4);
        if (bytes.size() < 4)
            break;
        const auto header = MpegFrameHeader::parse(reinterpret_cast<const unsigned char*>(bytes.constData()));
        if (!header || position + header->frameBytes() > end)
            break;
        position += header->frameBytes();
    }
    return frames;
}

}  // namespace lyricue
