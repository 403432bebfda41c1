#include "audio/ffmpeg/ogg_page_reader.h"

#include <algorithm>
#include <array>

namespace lyricue {

namespace {

constexpr int kHeaderBytes = 27;
constexpr std::uint64_t kLargestGranule = std::uint64_t(1) << 48;

// Ogg's checksum: CRC-32 with polynomial 0x04C11DB7, most significant bit first, no
// reflection, starting from 0.
const std::array<std::uint32_t, 256>& crcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t value = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                value = value & 0x80000000u ? (value << 1) ^ 0x04C11DB7u : value << 1;
            entries[i] = value;
        }
        return entries;
    }();
    return table;
}

std::uint32_t crcOf(std::uint32_t crc, const char* bytes, qsizetype count)
{
    const auto& table = crcTable();
    for (qsizetype i = 0; i < count; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ std::uint8_t(bytes[i])) & 0xFF];
    return crc;
}

std::uint64_t littleEndian(const char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[i]);
    return value;
}

}  // namespace

Result OggPageReader::open(const QString& path)
{
    // A copy of its own: the reader may be destroyed on the decoding thread, and a path
    // shared with the window's thread would be freed there.
    m_file.setFileName(QString(path.constData(), path.size()));
    if (!m_file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("ファイルを開けません (%1)").arg(m_file.errorString()));
    m_size = m_file.size();
    return {};
}

std::optional<OggPage> OggPageReader::pageAt(qint64 pos)
{
    if (pos < 0 || pos + kHeaderBytes > m_size || !m_file.seek(pos))
        return std::nullopt;
    QByteArray header = m_file.read(kHeaderBytes);
    if (header.size() != kHeaderBytes || !header.startsWith("OggS") || header[4] != 0)
        return std::nullopt;
    const int segments = std::uint8_t(header[26]);
    const QByteArray lacing = m_file.read(segments);
    if (lacing.size() != segments)
        return std::nullopt;
    qint64 bodyBytes = 0;
    for (const char value : lacing)
        bodyBytes += std::uint8_t(value);
    if (pos + kHeaderBytes + segments + bodyBytes > m_size)
        return std::nullopt;
    OggPage page;
    page.body = m_file.read(bodyBytes);
    if (page.body.size() != bodyBytes)
        return std::nullopt;
    const std::uint32_t stored = std::uint32_t(littleEndian(header.constData() + 22, 4));
    header.replace(22, 4, QByteArray(4, '\0'));
    std::uint32_t crc = crcOf(0, header.constData(), header.size());
    crc = crcOf(crc, lacing.constData(), lacing.size());
    if (crcOf(crc, page.body.constData(), page.body.size()) != stored)
        return std::nullopt;
    page.pos = pos;
    page.bytes = kHeaderBytes + segments + bodyBytes;
    page.flags = std::uint8_t(header[5]);
    // -1 where no packet ends on the page; a granule no file reaches counts as none, so
    // that frame counts made from it cannot overflow.
    const std::uint64_t granule = littleEndian(header.constData() + 6, 8);
    page.granule = granule <= kLargestGranule ? std::int64_t(granule) : -1;
    page.serial = std::uint32_t(littleEndian(header.constData() + 14, 4));
    page.sequence = std::uint32_t(littleEndian(header.constData() + 18, 4));
    page.lacing.assign(lacing.begin(), lacing.end());
    return page;
}

std::optional<OggPage> OggPageReader::nextPage(qint64 from, qint64 limit)
{
    constexpr qint64 kBlock = 64 * 1024;
    limit = std::min(limit, m_size);
    for (qint64 at = std::max<qint64>(from, 0); at < limit;) {
        if (!m_file.seek(at))
            return std::nullopt;
        // Three bytes more than a block, so that a pattern across two blocks is found.
        const QByteArray block = m_file.read(std::min(kBlock, limit - at) + 3);
        if (block.size() < 4)
            return std::nullopt;
        for (qsizetype i = block.indexOf("OggS"); i >= 0 && at + i < limit; i = block.indexOf("OggS", i + 1)) {
            if (std::optional<OggPage> page = pageAt(at + i))
                return page;
        }
        at += std::max<qsizetype>(1, block.size() - 3);
    }
    return std::nullopt;
}

}  // namespace lyricue
