#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace lyricue {

// One page of an Ogg file: where it lies and what its header says.
struct OggPage {
    static constexpr std::uint8_t kContinued = 1;  // its first segments end a packet begun before
    static constexpr std::uint8_t kFirst = 2;      // the first page of a logical stream
    static constexpr std::uint8_t kLast = 4;

    qint64 pos = 0;
    qint64 bytes = 0;  // header and body
    std::uint8_t flags = 0;
    std::int64_t granule = -1;  // -1: no packet ends on the page
    std::uint32_t serial = 0;
    std::uint32_t sequence = 0;
    std::vector<std::uint8_t> lacing;
    QByteArray body;

    qint64 end() const { return pos + bytes; }
    bool continued() const { return flags & kContinued; }
    bool first() const { return flags & kFirst; }
};

// Reads the pages of an Ogg file. A page counts only whole and with its checksum right, so
// that a damaged page is missing, as if cut out, and bytes that merely look like a page
// header are passed over.
class OggPageReader {
public:
    Result open(const QString& path);
    qint64 size() const { return m_size; }
    // The page that starts at `pos`, if a sound one does.
    std::optional<OggPage> pageAt(qint64 pos);
    // The first sound page that starts at or after `from` and before `limit`.
    std::optional<OggPage> nextPage(qint64 from, qint64 limit);

private:
    QFile m_file;
    qint64 m_size = 0;
};

}  // namespace lyricue
