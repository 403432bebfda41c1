#pragma once

#include "audio/ffmpeg/ogg_page_reader.h"

#include <QByteArray>
#include <QString>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lyricue {

// One Vorbis or Opus stream of an Ogg file: the only one, or one of several one after the
// other (a chained file, as recordings of a radio station are).
struct OggChain {
    qint64 begin = 0;           // its first page
    qint64 end = 0;             // just after its last page
    qint64 firstSoundPage = 0;  // from here on its pages hold sound only
    std::uint32_t serial = 0;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int rate = 0;
    int channels = 0;
    int headerPackets = 0;
    std::int64_t preSkip = 0;  // Opus: frames of the encoder's delay
    QByteArray extradata;      // its headers, as libavcodec takes them
    std::int64_t endGranule = -1;  // the granule of its last page that has one
    // Filled in by the decoder, which finds it by decoding: the granule of its first frame,
    // and the track frame where it begins.
    std::int64_t zeroGranule = 0;
    std::int64_t start = 0;

    std::int64_t length() const { return endGranule - zeroGranule; }
};

// Reads the packets of an Ogg file of Vorbis or Opus streams itself, page by page, so that
// each packet that ends a page comes with that page's granule: the frame where its sound
// ends, exact after a seek and after damage as much as from the start. A page lost to
// damage is reported with the next packet; a packet it held part of is dropped.
class OggDemuxer {
public:
    struct Packet {
        QByteArray data;
        int chain = 0;
        // On the last packet that ends on a page: the page's granule.
        std::optional<std::int64_t> endGranule;
        bool afterLoss = false;  // pages were lost just before this packet
    };

    // The demuxer, or nullptr for a file that is not Ogg, or holds other codecs or several
    // streams at once: libavformat reads those.
    static std::unique_ptr<OggDemuxer> open(const QString& path);

    std::vector<OggChain>& chains() { return m_chains; }
    // The packets from those that begin on the page at `pos` on (a packet it only ends is
    // skipped); from the start of a chain, its header packets are skipped too. Packets of
    // later chains follow those of `chain`.
    void startAt(int chain, qint64 pos);
    // The next packet; nothing at the end of the file.
    std::optional<Packet> next();
    // The last page of `chain`, after its headers, whose granule is at most `granule`;
    // nothing where none ends that early.
    std::optional<OggPage> lastPageEndingBy(int chain, std::int64_t granule);

private:
    OggDemuxer() = default;
    std::optional<OggChain> readChain(qint64 begin);
    // Where the chain of `first` ends, `last` being a later page of another.
    qint64 chainEnd(const OggPage& first, const OggPage& last);
    // The last sound page in [from, limit) of `serial` (of any without one), with a granule
    // where `withGranule`.
    std::optional<OggPage> lastPageIn(qint64 from, qint64 limit, std::optional<std::uint32_t> serial, bool withGranule);
    std::optional<OggPage> nextPageOf(std::uint32_t serial, qint64 from, qint64 limit, bool withGranule);
    bool loadPage();

    OggPageReader m_reader;
    std::vector<OggChain> m_chains;

    // Where next() is.
    int m_chain = 0;
    qint64 m_nextPos = 0;
    std::optional<OggPage> m_page;
    int m_segment = 0;
    qsizetype m_offset = 0;
    int m_lastEnding = -1;  // the page's last segment that ends a packet
    QByteArray m_partial;   // a packet begun and not ended yet
    bool m_inPacket = false;
    bool m_skipContinuation = false;  // the end of a packet whose beginning was not read
    std::optional<std::uint32_t> m_lastSequence;
    int m_headersToSkip = 0;
    bool m_lossPending = false;
};

}  // namespace lyricue
