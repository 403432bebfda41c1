#include "audio/ffmpeg/ogg_demuxer.h"

#include <algorithm>
#include <utility>

namespace lyricue {

namespace {

// Below this many bytes a search walks page by page instead of halving.
constexpr qint64 kWalkBytes = 64 * 1024;

std::uint32_t littleEndian(const QByteArray& bytes, int at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[at + i]);
    return value;
}

// Vorbis headers as libavcodec takes them: 2, the sizes of the first two in Xiph lacing,
// then the three one after the other.
QByteArray xiphLaced(const std::vector<QByteArray>& headers)
{
    QByteArray laced(1, char(2));
    for (std::size_t i = 0; i + 1 < headers.size(); ++i) {
        qsizetype size = headers[i].size();
        for (; size >= 255; size -= 255)
            laced.append(char(255));
        laced.append(char(size));
    }
    for (const QByteArray& header : headers)
        laced.append(header);
    return laced;
}

}  // namespace

std::unique_ptr<OggDemuxer> OggDemuxer::open(const QString& path)
{
    std::unique_ptr<OggDemuxer> demuxer(new OggDemuxer);
    // A file it cannot open is left to libavformat, which says why.
    if (!demuxer->m_reader.open(path).ok())
        return nullptr;
    std::optional<OggChain> chain = demuxer->readChain(0);
    if (!chain)
        return nullptr;
    const qint64 size = demuxer->m_reader.size();
    const std::optional<OggPage> last = demuxer->lastPageIn(0, size, std::nullopt, false);
    if (!last)
        return nullptr;
    std::vector<OggChain>& chains = demuxer->m_chains;
    for (;;) {
        // Each stream's pages lie together, and no two streams of a file share a serial
        // number: the chain ends where the first page of another serial number begins.
        chain->end = size;
        if (last->serial != chain->serial) {
            const std::optional<OggPage> first = demuxer->m_reader.pageAt(chain->begin);
            if (!first)
                break;
            chain->end = demuxer->chainEnd(*first, *last);
        }
        const std::optional<OggPage> granulePage =
            demuxer->lastPageIn(chain->firstSoundPage, chain->end, chain->serial, true);
        if (!granulePage)
            break;
        chain->endGranule = granulePage->granule;
        chains.push_back(*chain);
        // What follows a chain is played only if it is another stream of the same kind.
        if (chain->end >= size)
            break;
        chain = demuxer->readChain(chain->end);
        if (!chain || chain->rate != chains.front().rate)
            break;
    }
    if (chains.empty())
        return nullptr;
    demuxer->startAt(0, 0);
    return demuxer;
}

std::optional<OggChain> OggDemuxer::readChain(qint64 begin)
{
    std::optional<OggPage> page = m_reader.pageAt(begin);
    if (!page || !page->first())
        return std::nullopt;
    OggChain chain;
    chain.begin = begin;
    chain.serial = page->serial;
    const QByteArray& id = page->body;
    if (id.startsWith("\x01vorbis") && id.size() >= 30) {
        chain.codec = AV_CODEC_ID_VORBIS;
        chain.channels = std::uint8_t(id[11]);
        chain.rate = int(littleEndian(id, 12, 4));
        chain.headerPackets = 3;
    } else if (id.startsWith("OpusHead") && id.size() >= 19) {
        chain.codec = AV_CODEC_ID_OPUS;
        chain.channels = std::uint8_t(id[9]);
        chain.preSkip = littleEndian(id, 10, 2);
        chain.rate = 48000;
        chain.headerPackets = 2;
    } else {
        return std::nullopt;
    }
    if (chain.channels <= 0 || chain.rate <= 0)
        return std::nullopt;
    // The header packets, on the pages that follow; a page of another stream among them
    // (a second stream beside this one) or a damaged one leaves the file to libavformat.
    std::vector<QByteArray> headers;
    QByteArray partial;
    for (;;) {
        qsizetype offset = 0;
        for (const std::uint8_t value : page->lacing) {
            partial.append(page->body.constData() + offset, value);
            offset += value;
            if (value < 255) {
                headers.push_back(std::exchange(partial, QByteArray()));
                if (int(headers.size()) == chain.headerPackets)
                    break;
            }
        }
        if (int(headers.size()) == chain.headerPackets)
            break;
        page = m_reader.pageAt(page->end());
        if (!page || page->serial != chain.serial || page->first())
            return std::nullopt;
    }
    chain.firstSoundPage = page->end();
    if (chain.codec == AV_CODEC_ID_VORBIS) {
        if (!headers[1].startsWith("\x03vorbis") || !headers[2].startsWith("\x05vorbis"))
            return std::nullopt;
        chain.extradata = xiphLaced(headers);
    } else {
        if (!headers[1].startsWith("OpusTags"))
            return std::nullopt;
        chain.extradata = headers[0];
    }
    return chain;
}

qint64 OggDemuxer::chainEnd(const OggPage& first, const OggPage& last)
{
    // Halves the bytes between a page of the chain and one of another until they are few,
    // then walks page by page.
    OggPage inside = first;
    qint64 outside = last.pos;
    for (;;) {
        const std::optional<OggPage> after = m_reader.nextPage(inside.end(), outside + 1);
        if (!after || after->serial != first.serial)
            return after ? after->pos : outside;
        inside = *after;
        if (outside - inside.end() > kWalkBytes) {
            const std::optional<OggPage> probe = m_reader.nextPage(inside.end() + (outside - inside.end()) / 2, outside);
            if (probe && probe->serial == first.serial)
                inside = *probe;
            else if (probe)
                outside = probe->pos;
        }
    }
}

std::optional<OggPage> OggDemuxer::nextPageOf(std::uint32_t serial, qint64 from, qint64 limit, bool withGranule)
{
    std::optional<OggPage> page = m_reader.nextPage(from, limit);
    while (page && (page->serial != serial || (withGranule && page->granule < 0)))
        page = m_reader.nextPage(page->end(), limit);
    return page;
}

std::optional<OggPage> OggDemuxer::lastPageIn(qint64 from, qint64 limit, std::optional<std::uint32_t> serial,
                                              bool withGranule)
{
    for (qint64 window = kWalkBytes;; window *= 4) {
        const qint64 start = std::max(from, limit - window);
        std::optional<OggPage> found;
        for (std::optional<OggPage> page = m_reader.nextPage(start, limit); page;
             page = m_reader.nextPage(page->end(), limit)) {
            if ((!serial || page->serial == *serial) && (!withGranule || page->granule >= 0))
                found = std::move(page);
            if (found && found->end() >= limit)
                break;
        }
        if (found || start == from)
            return found;
    }
}

std::optional<OggPage> OggDemuxer::lastPageEndingBy(int chain, std::int64_t granule)
{
    const OggChain& stream = m_chains[std::size_t(chain)];
    std::optional<OggPage> best = nextPageOf(stream.serial, stream.firstSoundPage, stream.end, true);
    if (!best || best->granule > granule)
        return std::nullopt;
    qint64 later = stream.end;  // every page with a granule from here on ends after `granule`
    while (later - best->end() > kWalkBytes) {
        const qint64 middle = best->end() + (later - best->end()) / 2;
        std::optional<OggPage> probe = nextPageOf(stream.serial, middle, later, true);
        if (probe && probe->granule <= granule)
            best = std::move(probe);
        else
            later = middle;
    }
    for (std::optional<OggPage> page = nextPageOf(stream.serial, best->end(), stream.end, true);
         page && page->granule <= granule; page = nextPageOf(stream.serial, page->end(), stream.end, true))
        best = std::move(page);
    return best;
}

void OggDemuxer::startAt(int chain, qint64 pos)
{
    m_chain = chain;
    m_nextPos = pos;
    m_page.reset();
    m_partial.clear();
    m_inPacket = false;
    m_skipContinuation = false;
    m_lastSequence.reset();
    m_lossPending = false;
    m_headersToSkip = pos <= m_chains[std::size_t(chain)].begin ? m_chains[std::size_t(chain)].headerPackets : 0;
}

bool OggDemuxer::loadPage()
{
    for (;;) {
        // The next page lies where the last one ends, unless damage is in between.
        std::optional<OggPage> page = m_reader.pageAt(m_nextPos);
        if (!page)
            page = m_reader.nextPage(m_nextPos, m_reader.size());
        if (!page)
            return false;
        // Bytes passed over to find the page were a damaged one.
        bool lost = page->pos != m_nextPos;
        m_nextPos = page->end();
        if (page->serial != m_chains[std::size_t(m_chain)].serial) {
            const std::size_t next = std::size_t(m_chain) + 1;
            if (next >= m_chains.size() || page->pos < m_chains[next].begin || page->serial != m_chains[next].serial)
                continue;  // a page of no stream played here
            m_chain = int(next);
            m_headersToSkip = m_chains[next].headerPackets;
            m_lastSequence.reset();
            m_inPacket = false;
            m_partial.clear();
            lost = false;
        } else if (page->first() && m_lastSequence) {
            // Another stream under the same serial number, against the format's rule: what
            // it holds is not this stream's sound, and the chains do not say where it goes.
            m_nextPos = m_reader.size();
            return false;
        }
        lost = lost || (m_lastSequence && page->sequence != *m_lastSequence + 1);
        m_lastSequence = page->sequence;
        if (lost || (m_inPacket && !page->continued())) {
            // The packet under way lost its end with the pages that held it.
            m_inPacket = false;
            m_partial.clear();
            m_lossPending = m_lossPending || lost;
        }
        m_skipContinuation = page->continued() && !m_inPacket;
        m_lastEnding = -1;
        for (int i = 0; i < int(page->lacing.size()); ++i) {
            if (page->lacing[std::size_t(i)] < 255)
                m_lastEnding = i;
        }
        m_segment = 0;
        m_offset = 0;
        m_page = std::move(page);
        return true;
    }
}

std::optional<OggDemuxer::Packet> OggDemuxer::next()
{
    for (;;) {
        if (!m_page && !loadPage())
            return std::nullopt;
        const OggPage& page = *m_page;
        while (m_segment < int(page.lacing.size())) {
            const int segment = m_segment++;
            const int value = page.lacing[std::size_t(segment)];
            if (!m_skipContinuation)
                m_partial.append(page.body.constData() + m_offset, value);
            m_offset += value;
            if (value == 255) {
                m_inPacket = !m_skipContinuation;
                continue;
            }
            m_inPacket = false;
            QByteArray data = std::exchange(m_partial, QByteArray());
            if (std::exchange(m_skipContinuation, false))
                continue;
            if (m_headersToSkip > 0) {
                --m_headersToSkip;
                continue;
            }
            Packet packet;
            packet.data = std::move(data);
            packet.chain = m_chain;
            if (segment == m_lastEnding && page.granule >= 0)
                packet.endGranule = page.granule;
            packet.afterLoss = std::exchange(m_lossPending, false);
            return packet;
        }
        m_page.reset();
    }
}

}  // namespace lyricue
