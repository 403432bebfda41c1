#include "audio/ffmpeg/ffmpeg_decoder.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace lyricue {

namespace {

// The tail decoded at open to find where the stream really ends.
constexpr double kTailSeconds = 2.0;
// The most the decoded end of an Ogg stream can pass its last granule: one block.
constexpr std::int64_t kMaxBlockFrames = 8192;
constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();
// Frames of an Ogg track at most: granules that count more (a year and more) are damage.
constexpr std::int64_t kLongestTrack = std::int64_t(1) << 40;

QString avReason(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Frames a lossy decoder needs before a target to give it exactly: the overlapped
// transform of Vorbis and AAC and the 80 ms Opus asks for after a seek. Ogg Vorbis needs
// none of its own: the page decoded before the target settles it.
std::int64_t prerollFrames(AVCodecID codec, int rate, bool ogg)
{
    switch (codec) {
    case AV_CODEC_ID_OPUS:
        return std::int64_t(rate) * 80 / 1000;
    case AV_CODEC_ID_VORBIS:
        return ogg ? 0 : rate;
    case AV_CODEC_ID_AAC:
        return 4096;
    default:
        return 0;
    }
}

}  // namespace

FfmpegDecoder::FfmpegDecoder() = default;

ResultOf<std::unique_ptr<FfmpegDecoder>> FfmpegDecoder::open(const QString& path)
{
    std::unique_ptr<FfmpegDecoder> decoder(new FfmpegDecoder);
    if (Result opened = decoder->openFile(path); !opened.ok())
        return opened;
    return decoder;
}

FfmpegDecoder::~FfmpegDecoder()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    swr_free(&m_swr);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

Result FfmpegDecoder::openFile(const QString& path)
{
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_packet || !m_frame)
        return Result::failure(QStringLiteral("音声の復号を始められません"));
    m_ogg = OggDemuxer::open(path);
    return m_ogg ? openOgg() : openContainer(path);
}

Result FfmpegDecoder::startCodec(const AVCodec* codec)
{
    // The encoder's delay is trimmed here, by timestamp, the same after a seek as from
    // the start: libavcodec trims it only on the stream's first packet.
    m_codec->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    if (avcodec_open2(m_codec, codec, nullptr) < 0)
        return Result::failure(QStringLiteral("音声の復号を始められません"));
    m_channels = m_codec->ch_layout.nb_channels;
    if (m_codec->sample_rate <= 0 || m_channels <= 0)
        return Result::failure(QStringLiteral("音声の標本化周波数またはチャンネル数が不正です"));
    // To float, interleaved, in the stream's own channels and rate: appendFrame() makes stereo.
    swr_free(&m_swr);
    if (swr_alloc_set_opts2(&m_swr, &m_codec->ch_layout, AV_SAMPLE_FMT_FLT, m_codec->sample_rate, &m_codec->ch_layout,
                            m_codec->sample_fmt, m_codec->sample_rate, 0, nullptr) < 0
        || swr_init(m_swr) < 0)
        return Result::failure(QStringLiteral("音声の標本形式を変換できません"));
    return {};
}

void FfmpegDecoder::resetDecoder()
{
    avcodec_flush_buffers(m_codec);
    swr_close(m_swr);
    swr_init(m_swr);
    m_decoderDone = false;
    m_cutShort = false;
    clearPending();
    m_placedEnd.reset();
}

std::int64_t FfmpegDecoder::appendFrame(std::vector<float>& stereo)
{
    const int samples = m_frame->nb_samples;
    if (samples <= 0 || m_frame->ch_layout.nb_channels != m_channels || m_frame->sample_rate != m_codec->sample_rate)
        return 0;
    m_converted.resize(std::size_t(samples) * std::size_t(m_channels));
    auto* out = reinterpret_cast<std::uint8_t*>(m_converted.data());
    const int converted = swr_convert(m_swr, &out, samples, const_cast<const std::uint8_t**>(m_frame->extended_data), samples);
    if (converted <= 0)
        return 0;
    const std::size_t at = stereo.size();
    stereo.resize(at + std::size_t(converted) * 2);
    for (int i = 0; i < converted; ++i) {
        const float* in = &m_converted[std::size_t(i) * std::size_t(m_channels)];
        stereo[at + std::size_t(i) * 2] = in[0];
        stereo[at + std::size_t(i) * 2 + 1] = m_channels > 1 ? in[1] : in[0];
    }
    return converted;
}

std::int64_t FfmpegDecoder::pendingFrames() const
{
    return m_pendingSilence + std::int64_t(m_pending.size() / 2) - m_pendingRead;
}

void FfmpegDecoder::clearPending()
{
    m_pending.clear();
    m_pendingSilence = 0;
    m_pendingRead = 0;
}

void FfmpegDecoder::place(const float* stereo, std::int64_t frames, std::int64_t at, std::int64_t cutAt)
{
    if (!m_placedEnd)
        m_placedEnd = std::max(at, m_floor);
    const std::int64_t given = *m_placedEnd;
    const std::int64_t from = std::max({given, m_floor, at});
    const std::int64_t end = std::min(at + frames, cutAt);
    if (end > from) {
        // decodeNext() places once into an empty pending, so silence comes first.
        if (pendingFrames() == 0) {
            clearPending();
            m_pendingStart = given;
        }
        m_pendingSilence += from - given;
        m_pending.insert(m_pending.end(), stereo + (from - at) * 2, stereo + (end - at) * 2);
    }
    m_placedEnd = std::max(*m_placedEnd, end);
}

bool FfmpegDecoder::decodeNext()
{
    clearPending();
    return m_ogg ? decodeFromOgg() : decodeFromContainer();
}

bool FfmpegDecoder::decodeUpTo(std::int64_t frame)
{
    bool first = true;
    while (decodeNext()) {
        if (first && m_pendingStart > frame) {
            m_position = std::clamp<std::int64_t>(m_pendingStart, 0, m_length);
            return false;
        }
        first = false;
        const std::int64_t end = m_pendingStart + pendingFrames();
        if (end > frame) {
            if (m_pendingStart < frame)
                m_pendingRead = frame - m_pendingStart;
            // A damaged stream's timestamps may place it past the end.
            m_position = std::clamp<std::int64_t>(std::max(m_pendingStart, frame), 0, m_length);
            return true;
        }
    }
    m_position = std::clamp<std::int64_t>(m_placedEnd.value_or(frame), 0, m_length);
    return !first;
}

Result FfmpegDecoder::seek(std::int64_t frame)
{
    frame = std::clamp<std::int64_t>(frame, 0, m_length);
    m_cutShort = false;
    return (m_ogg ? landInOgg(frame) : landInContainer(frame)) ? Result() : seekRefused(frame);
}

int FfmpegDecoder::read(float* stereo, int frames)
{
    int done = 0;
    while (done < frames && m_position < m_length && !m_cutShort) {
        // A stream damaged past repair ends there, as a cut file does, until a seek.
        if (pendingFrames() <= 0 && !decodeNext()) {
            m_cutShort = true;
            break;
        }
        const std::int64_t take = std::min<std::int64_t>({pendingFrames(), frames - done, m_length - m_position});
        float* out = stereo + std::size_t(done) * 2;
        const std::int64_t silent = std::clamp<std::int64_t>(m_pendingSilence - m_pendingRead, 0, take);
        std::fill(out, out + silent * 2, 0.0f);
        if (take > silent) {
            const std::int64_t fromSamples = m_pendingRead + silent - m_pendingSilence;
            std::memcpy(out + silent * 2, m_pending.data() + fromSamples * 2, std::size_t(take - silent) * 2 * sizeof(float));
        }
        m_pendingRead += take;
        done += int(take);
        m_position += take;
    }
    return done;
}

// Files libavformat reads.

Result FfmpegDecoder::openContainer(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (int code = avformat_open_input(&m_format, name.constData(), nullptr, nullptr); code < 0)
        return Result::failure(QStringLiteral("ファイルを読めません (%1)").arg(avReason(code)));
    if (int code = avformat_find_stream_info(m_format, nullptr); code < 0)
        return Result::failure(QStringLiteral("ファイルの形式がわかりません (%1)").arg(avReason(code)));
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || codec == nullptr)
        return Result::failure(m_stream == AVERROR_DECODER_NOT_FOUND ? QStringLiteral("この音声の形式は復号できません")
                                                                     : QStringLiteral("ファイルに音声がありません"));
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        m_format->streams[i]->discard = int(i) == m_stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    AVStream* stream = m_format->streams[m_stream];
    m_codec = avcodec_alloc_context3(codec);
    if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0)
        return Result::failure(QStringLiteral("音声の復号を始められません"));
    if (Result started = startCodec(codec); !started.ok())
        return started;
    m_rate = m_codec->sample_rate;
    m_preroll = prerollFrames(m_codec->codec_id, m_rate, false);

    // Frame 0 is the stream's start: what comes before it is the encoder's delay.
    m_zeroPts = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    std::int64_t claimed = -1;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        claimed = framesFromPts(m_zeroPts + stream->duration) - stream->codecpar->initial_padding;
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        claimed = av_rescale(m_format->duration, m_rate, AV_TIME_BASE);
    m_timestampLimit = claimed > 0 ? claimed + kMaxBlockFrames : kNoLimit;
    // The end is where the tail really stops decoding, where the file says less (the
    // padding of the last block, which the decoder gives whole) or decodes less (a file
    // cut short).
    m_length = kNoLimit;
    const std::int64_t tailFrom = claimed - std::int64_t(kTailSeconds * m_rate);
    if (tailFrom <= 0 || !seek(tailFrom).ok() || m_position > tailFrom)
        (void)seek(0);
    while (decodeNext()) {
    }
    const std::int64_t decodedEnd = m_placedEnd.value_or(0);
    m_length = claimed > 0 ? std::min(claimed, decodedEnd) : decodedEnd;
    // An Ogg stream's length is the granule of its last page, exact even where the file
    // was cut short.
    if (claimed > 0 && std::strcmp(m_format->iformat->name, "ogg") == 0 && std::abs(claimed - decodedEnd) <= kMaxBlockFrames)
        m_length = claimed;
    if (!seek(0).ok() || m_length <= 0)
        return Result::failure(QStringLiteral("復号できる音声がありません"));
    return {};
}

std::int64_t FfmpegDecoder::framesFromPts(std::int64_t pts) const
{
    return av_rescale_q(pts - m_zeroPts, m_format->streams[m_stream]->time_base, AVRational{1, m_rate});
}

std::int64_t FfmpegDecoder::ptsFromFrames(std::int64_t frames) const
{
    return m_zeroPts + av_rescale_q(frames, AVRational{1, m_rate}, m_format->streams[m_stream]->time_base);
}

bool FfmpegDecoder::receiveFrame()
{
    for (;;) {
        const int got = avcodec_receive_frame(m_codec, m_frame);
        if (got == 0)
            return true;
        if (got == AVERROR_EOF) {
            m_decoderDone = true;
            return false;
        }
        if (got != AVERROR(EAGAIN))
            return false;  // a damaged frame: the next packet goes on
        if (m_demuxerDone)
            return false;
        for (;;) {
            const int read = av_read_frame(m_format, m_packet);
            if (read < 0) {
                m_demuxerDone = true;
                avcodec_send_packet(m_codec, nullptr);
                break;
            }
            if (m_packet->stream_index != m_stream) {
                av_packet_unref(m_packet);
                continue;
            }
            const int sent = avcodec_send_packet(m_codec, m_packet);
            av_packet_unref(m_packet);
            if (sent == 0 || sent == AVERROR(EAGAIN))
                break;
            // A packet the decoder refuses is skipped.
        }
    }
}

bool FfmpegDecoder::decodeFromContainer()
{
    for (int damaged = 0; damaged < 1000; ++damaged) {
        if (m_decoderDone)
            return false;
        if (!receiveFrame()) {
            if (m_decoderDone || m_demuxerDone)
                return false;
            continue;
        }
        m_chunk.clear();
        const std::int64_t frames = appendFrame(m_chunk);
        const std::int64_t timestamp = m_frame->best_effort_timestamp;
        av_frame_unref(m_frame);
        if (frames <= 0)
            continue;
        // A frame goes where its timestamp says; one without (a FLAC frame whose header
        // was damaged) follows the one before, as does one whose timestamp no frame of the
        // stream has.
        std::int64_t at = m_placedEnd.value_or(m_landingGuess);
        if (timestamp != AV_NOPTS_VALUE) {
            const std::int64_t stamped = framesFromPts(timestamp);
            if (!m_placedEnd || (stamped <= m_timestampLimit && stamped >= *m_placedEnd - 10 * std::int64_t(m_rate)))
                at = stamped;
        }
        place(m_chunk.data(), frames, at, kNoLimit);
        if (pendingFrames() > 0)
            return true;
    }
    return false;
}

bool FfmpegDecoder::rewindTo(std::int64_t from)
{
    if (av_seek_frame(m_format, m_stream, ptsFromFrames(from), AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(m_format, m_stream, INT64_MIN, ptsFromFrames(from), ptsFromFrames(from), 0) < 0)
        return false;
    resetDecoder();
    m_demuxerDone = false;
    m_landingGuess = from;
    return true;
}

bool FfmpegDecoder::landInContainer(std::int64_t frame)
{
    // A demuxer may land after the target (FLAC near its end): go back further until the
    // first frame decoded starts at or before it, or from the start.
    for (std::int64_t back = m_preroll;; back = 2 * back + m_rate) {
        const std::int64_t from = frame - back;
        const bool fromStart = from <= -m_preroll;
        if (rewindTo(fromStart ? -m_preroll : from) && (decodeUpTo(frame) || fromStart))
            return true;
        if (fromStart)
            return false;
    }
}

// Ogg Vorbis and Opus.

Result FfmpegDecoder::openOgg()
{
    std::vector<OggChain>& chains = m_ogg->chains();
    m_rate = chains.front().rate;
    // Each chain's length counts from its first frame, which only decoding its first
    // page finds; a chain that does not decode ends the track.
    std::int64_t start = 0;
    std::size_t playable = 0;
    Result firstChain;
    for (; playable < chains.size(); ++playable) {
        OggChain& chain = chains[playable];
        chain.start = start;
        const Result opened = openChain(int(playable));
        if (!opened.ok() || !findChainZero(int(playable)) || chain.length() <= 0
            || chain.length() > kLongestTrack - start) {
            if (playable == 0)
                firstChain = opened.ok() ? Result::failure(QStringLiteral("復号できる音声がありません")) : opened;
            break;
        }
        start += chain.length();
    }
    if (playable == 0)
        return firstChain;
    chains.resize(playable);
    m_length = start;
    if (!seek(0).ok())
        return Result::failure(QStringLiteral("復号できる音声がありません"));
    return {};
}

Result FfmpegDecoder::openChain(int chain)
{
    const OggChain& stream = m_ogg->chains()[std::size_t(chain)];
    avcodec_free_context(&m_codec);
    m_chain = -1;
    const AVCodec* codec = avcodec_find_decoder(stream.codec);
    m_codec = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!m_codec)
        return Result::failure(QStringLiteral("この音声の形式は復号できません"));
    m_codec->sample_rate = stream.rate;
    av_channel_layout_default(&m_codec->ch_layout, stream.channels);
    m_codec->extradata = static_cast<std::uint8_t*>(av_mallocz(std::size_t(stream.extradata.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!m_codec->extradata)
        return Result::failure(QStringLiteral("音声の復号を始められません"));
    std::memcpy(m_codec->extradata, stream.extradata.constData(), std::size_t(stream.extradata.size()));
    m_codec->extradata_size = int(stream.extradata.size());
    if (Result started = startCodec(codec); !started.ok())
        return started;
    if (m_codec->sample_rate != m_rate)
        return Result::failure(QStringLiteral("音声の標本化周波数が途中で変わります"));
    m_chain = chain;
    m_floor = stream.start;
    m_held.clear();
    m_stashed.reset();
    return {};
}

bool FfmpegDecoder::findChainZero(int chain)
{
    OggChain& stream = m_ogg->chains()[std::size_t(chain)];
    m_ogg->startAt(chain, stream.begin);
    m_held.clear();
    // The frames of the first page end at its granule, so the first of them has the granule
    // that many frames before; Opus counts its pre-skip in the granule too.
    while (std::optional<OggDemuxer::Packet> packet = m_ogg->next()) {
        if (packet->chain != chain || packet->afterLoss)
            break;
        decodeOggPacket(packet->data);
        if (packet->endGranule) {
            // Where the first page is the last, its last block's padding goes past its
            // granule, and its granules are taken to count from 0.
            stream.zeroGranule = *packet->endGranule >= stream.endGranule
                ? stream.preSkip
                : *packet->endGranule - std::int64_t(m_held.size() / 2) + stream.preSkip;
            m_held.clear();
            return true;
        }
    }
    // No page of sound from the start: its granules are taken to count from 0.
    stream.zeroGranule = stream.preSkip;
    m_held.clear();
    return stream.endGranule > 0;
}

bool FfmpegDecoder::decodeOggPacket(const QByteArray& data)
{
    if (data.isEmpty())
        return true;  // an empty packet holds no sound, and would end the decoder's input
    if (av_new_packet(m_packet, int(data.size())) < 0)
        return false;
    std::memcpy(m_packet->data, data.constData(), std::size_t(data.size()));
    const int sent = avcodec_send_packet(m_codec, m_packet);
    av_packet_unref(m_packet);
    if (sent < 0)
        return false;
    while (avcodec_receive_frame(m_codec, m_frame) == 0) {
        appendFrame(m_held);
        av_frame_unref(m_frame);
    }
    return true;
}

void FfmpegDecoder::drainOggDecoder()
{
    if (avcodec_send_packet(m_codec, nullptr) >= 0) {
        while (avcodec_receive_frame(m_codec, m_frame) == 0) {
            appendFrame(m_held);
            av_frame_unref(m_frame);
        }
    }
    avcodec_flush_buffers(m_codec);
}

void FfmpegDecoder::placeHeld(std::optional<std::int64_t> granule)
{
    const OggChain& chain = m_ogg->chains()[std::size_t(m_chain)];
    const std::int64_t chainEnd = chain.start + chain.length();
    const std::int64_t frames = std::int64_t(m_held.size() / 2);
    if (!granule) {
        // Nothing times them: they follow what came before.
        if (frames > 0 && m_placedEnd && m_group == OggGroup::InStep)
            place(m_held.data(), frames, *m_placedEnd, chainEnd);
        m_held.clear();
        return;
    }
    const std::int64_t end = chain.start + (*granule - chain.zeroGranule);
    if (m_group == OggGroup::Discard) {
        m_placedEnd = end;
    } else if (m_group == OggGroup::ChainStart && *granule >= chain.endGranule) {
        // A chain of one page: its frames begin at granule 0, and its last block's padding
        // goes past its end.
        if (!m_placedEnd)
            m_placedEnd = chain.start;
        place(m_held.data(), frames, chain.start - chain.zeroGranule, std::min(end, chainEnd));
    } else if (m_group == OggGroup::ChainStart || !m_placedEnd || frames <= end - *m_placedEnd) {
        // Frames short of the page's end were lost before them (or, at a chain's start,
        // come before its first frame): a chain whose first pages are lost begins with
        // silence.
        if (!m_placedEnd)
            m_placedEnd = chain.start;
        place(m_held.data(), frames, end - frames, std::min(end, chainEnd));
    } else {
        // More than fit: the padding of the stream's last block, past its last granule.
        place(m_held.data(), frames, *m_placedEnd, std::min(end, chainEnd));
    }
    m_group = OggGroup::InStep;
    m_held.clear();
}

bool FfmpegDecoder::decodeFromOgg()
{
    for (;;) {
        if (m_decoderDone)
            return false;
        std::optional<OggDemuxer::Packet> packet = std::exchange(m_stashed, std::nullopt);
        if (!packet)
            packet = m_ogg->next();
        if (!packet) {
            drainOggDecoder();
            placeHeld(std::nullopt);
            m_decoderDone = true;
            return pendingFrames() > 0;
        }
        if (packet->chain != m_chain || packet->afterLoss) {
            // What the decoder holds from before a new chain, or before lost pages,
            // follows on from the frames before it.
            const bool newChain = packet->chain != m_chain;
            if (newChain)
                drainOggDecoder();
            placeHeld(std::nullopt);
            if (newChain) {
                if (!openChain(packet->chain).ok()) {
                    m_decoderDone = true;
                    return pendingFrames() > 0;
                }
                m_group = OggGroup::ChainStart;
            } else {
                // The decoder starts afresh: the overlap with sound that was lost is no sound.
                avcodec_flush_buffers(m_codec);
            }
            packet->afterLoss = false;
            if (pendingFrames() > 0) {
                m_stashed = std::move(packet);
                return true;
            }
        }
        decodeOggPacket(packet->data);
        if (packet->endGranule) {
            placeHeld(packet->endGranule);
            if (pendingFrames() > 0)
                return true;
        }
    }
}

bool FfmpegDecoder::landInOgg(std::int64_t frame)
{
    const std::vector<OggChain>& chains = m_ogg->chains();
    std::size_t chain = 0;
    while (chain + 1 < chains.size() && frame >= chains[chain + 1].start)
        ++chain;
    const OggChain& stream = chains[chain];
    const std::int64_t granule = stream.zeroGranule + (frame - stream.start);
    const std::int64_t preroll = prerollFrames(stream.codec, m_rate, true);
    // From the last page that ends at least the pre-roll before the target: its frames
    // settle the decoder and its granule times those after it. Further back where that
    // page's last packet does not end on it, and from the chain's start where no page
    // ends early enough.
    for (std::int64_t back = preroll;; back = 2 * back + m_rate) {
        const std::optional<OggPage> page = m_ogg->lastPageEndingBy(int(chain), granule - back);
        if (int(chain) != m_chain) {
            if (!openChain(int(chain)).ok())
                return false;
        }
        resetDecoder();
        m_held.clear();
        m_stashed.reset();
        m_floor = stream.start;
        m_ogg->startAt(int(chain), page ? page->pos : stream.begin);
        m_group = page ? OggGroup::Discard : OggGroup::ChainStart;
        if (decodeUpTo(frame) || !page)
            return true;
    }
}

}  // namespace lyricue
