#include "ffmpeg/ffmpeg_decoder.h"

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

namespace {

// The tail decoded at open to find where the stream really ends.
constexpr double kTailSeconds = 2.0;
// The most the decoded end of an Ogg stream can pass its last granule: one block.
constexpr std::int64_t kMaxBlockFrames = 8192;

QString avReason(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Frames a lossy decoder needs before a target to give it exactly: the overlapped
// transform of Vorbis and AAC and the 80 ms Opus asks for after a seek.
std::int64_t prerollFrames(AVCodecID codec, int rate)
{
    switch (codec) {
    case AV_CODEC_ID_OPUS:
        return std::int64_t(rate) * 80 / 1000;
    case AV_CODEC_ID_VORBIS:
        // libavformat cannot time the packets of the first Ogg page it reads after a
        // seek (their lengths depend on the block before): go back past that page.
        return rate;
    case AV_CODEC_ID_AAC:
        return 4096;
    default:
        return 0;
    }
}

}  // namespace

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(const QString& path, QString* error)
{
    std::unique_ptr<FfmpegDecoder> decoder(new FfmpegDecoder);
    if (!decoder->openFile(path, error))
        return nullptr;
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

bool FfmpegDecoder::openFile(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    if (int code = avformat_open_input(&m_format, name.constData(), nullptr, nullptr); code < 0) {
        *error = QStringLiteral("ファイルを読めません (%1)").arg(avReason(code));
        return false;
    }
    if (int code = avformat_find_stream_info(m_format, nullptr); code < 0) {
        *error = QStringLiteral("ファイルの形式がわかりません (%1)").arg(avReason(code));
        return false;
    }
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || codec == nullptr) {
        *error = m_stream == AVERROR_DECODER_NOT_FOUND ? QStringLiteral("この音声の形式は復号できません")
                                                       : QStringLiteral("ファイルに音声がありません");
        return false;
    }
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        m_format->streams[i]->discard = int(i) == m_stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    AVStream* stream = m_format->streams[m_stream];
    m_codec = avcodec_alloc_context3(codec);
    // The encoder's delay is trimmed here, by timestamp, the same after a seek as from
    // the start: libavcodec trims it only on the stream's first packet.
    if (m_codec)
        m_codec->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    if (!m_codec || avcodec_parameters_to_context(m_codec, stream->codecpar) < 0
        || avcodec_open2(m_codec, codec, nullptr) < 0) {
        *error = QStringLiteral("音声の復号を始められません");
        return false;
    }
    m_rate = m_codec->sample_rate;
    m_channels = m_codec->ch_layout.nb_channels;
    if (m_rate <= 0 || m_channels <= 0) {
        *error = QStringLiteral("音声の標本化周波数またはチャンネル数が不正です");
        return false;
    }
    // To float, interleaved, in the stream's own channels and rate: read() makes stereo.
    if (swr_alloc_set_opts2(&m_swr, &m_codec->ch_layout, AV_SAMPLE_FMT_FLT, m_rate, &m_codec->ch_layout,
                            m_codec->sample_fmt, m_rate, 0, nullptr) < 0
        || swr_init(m_swr) < 0) {
        *error = QStringLiteral("音声の標本形式を変換できません");
        return false;
    }
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    m_preroll = prerollFrames(m_codec->codec_id, m_rate);

    // Frame 0 is the stream's start: what comes before it is the encoder's delay.
    m_zeroPts = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    std::int64_t claimed = -1;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        claimed = framesFromPts(m_zeroPts + stream->duration) - stream->codecpar->initial_padding;
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        claimed = av_rescale(m_format->duration, m_rate, AV_TIME_BASE);
    // The end is where the tail really stops decoding, where the file says less (the
    // padding of the last block, which the decoder gives whole) or decodes less (a file
    // cut short).
    m_length = std::numeric_limits<std::int64_t>::max();
    const std::int64_t tailFrom = claimed - std::int64_t(kTailSeconds * m_rate);
    if (tailFrom <= 0 || !seek(tailFrom) || m_position > tailFrom)
        seek(0);
    while (decodeNext()) {
    }
    const std::int64_t decodedEnd = m_nextFrame;
    m_length = claimed > 0 ? std::min(claimed, decodedEnd) : decodedEnd;
    // An Ogg stream's length is the granule of its last page, exact even where the file
    // was cut short; the tail's timestamps may be off (see seek()).
    if (claimed > 0 && std::strcmp(m_format->iformat->name, "ogg") == 0 && std::abs(claimed - decodedEnd) <= kMaxBlockFrames)
        m_length = claimed;
    if (!seek(0) || m_length <= 0) {
        *error = QStringLiteral("復号できる音声がありません");
        return false;
    }
    return true;
}

std::int64_t FfmpegDecoder::framesFromPts(std::int64_t pts) const
{
    return av_rescale_q(pts - m_zeroPts, m_format->streams[m_stream]->time_base, AVRational{1, m_rate});
}

std::int64_t FfmpegDecoder::ptsFromFrames(std::int64_t frames) const
{
    return m_zeroPts + av_rescale_q(frames, AVRational{1, m_rate}, m_format->streams[m_stream]->time_base);
}

std::int64_t FfmpegDecoder::pendingFrames() const
{
    return std::int64_t(m_pending.size() / 2) - std::int64_t(m_pendingRead);
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

bool FfmpegDecoder::decodeNext()
{
    m_pending.clear();
    m_pendingRead = 0;
    m_pendingStart = m_nextFrame;
    for (int damaged = 0; damaged < 1000; ++damaged) {
        if (m_decoderDone)
            return false;
        if (!receiveFrame()) {
            if (m_decoderDone || m_demuxerDone)
                return false;
            continue;
        }
        const int samples = m_frame->nb_samples;
        if (samples <= 0 || m_frame->ch_layout.nb_channels != m_channels || m_frame->sample_rate != m_rate) {
            av_frame_unref(m_frame);
            continue;
        }
        m_converted.resize(std::size_t(samples) * std::size_t(m_channels));
        auto* out = reinterpret_cast<std::uint8_t*>(m_converted.data());
        const int converted = swr_convert(m_swr, &out, samples, const_cast<const std::uint8_t**>(m_frame->extended_data), samples);
        if (converted <= 0) {
            av_frame_unref(m_frame);
            continue;
        }
        m_pending.resize(std::size_t(converted) * 2);
        for (int i = 0; i < converted; ++i) {
            const float* in = &m_converted[std::size_t(i) * std::size_t(m_channels)];
            m_pending[std::size_t(i) * 2] = in[0];
            m_pending[std::size_t(i) * 2 + 1] = m_channels > 1 ? in[1] : in[0];
        }
        if (m_trustPts && m_frame->best_effort_timestamp != AV_NOPTS_VALUE)
            m_pendingStart = framesFromPts(m_frame->best_effort_timestamp);
        m_nextFrame = m_pendingStart + converted;
        return true;
    }
    return false;
}

bool FfmpegDecoder::rewindTo(std::int64_t from)
{
    if (av_seek_frame(m_format, m_stream, ptsFromFrames(from), AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(m_format, m_stream, INT64_MIN, ptsFromFrames(from), ptsFromFrames(from), 0) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    swr_close(m_swr);
    swr_init(m_swr);
    m_demuxerDone = false;
    m_decoderDone = false;
    m_pending.clear();
    m_pendingRead = 0;
    m_trustPts = true;
    m_nextFrame = from;
    return true;
}

bool FfmpegDecoder::decodeUpTo(std::int64_t frame)
{
    bool first = true;
    while (decodeNext()) {
        if (first && m_pendingStart > frame)
            return false;
        first = false;
        const std::int64_t end = m_pendingStart + pendingFrames();
        if (end > frame) {
            if (m_pendingStart < frame)
                m_pendingRead = std::size_t(frame - m_pendingStart);
            m_position = std::max(m_pendingStart, frame);
            m_trustPts = false;
            return true;
        }
    }
    m_position = std::min(m_nextFrame, m_length);
    return !first;
}

bool FfmpegDecoder::land(std::int64_t frame)
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

bool FfmpegDecoder::seek(std::int64_t frame)
{
    frame = std::clamp<std::int64_t>(frame, 0, m_length);
    return land(frame);
}

int FfmpegDecoder::read(float* stereo, int frames)
{
    int done = 0;
    while (done < frames && m_position < m_length) {
        if (pendingFrames() <= 0 && !decodeNext())
            break;
        const std::int64_t take = std::min<std::int64_t>({pendingFrames(), frames - done, m_length - m_position});
        std::memcpy(stereo + std::size_t(done) * 2, &m_pending[m_pendingRead * 2], std::size_t(take) * 2 * sizeof(float));
        m_pendingRead += std::size_t(take);
        done += int(take);
        m_position += take;
    }
    return done;
}
