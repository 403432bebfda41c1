#pragma once

#include "audio/decoder.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Decodes the first audio stream of a file that libavformat reads (FLAC, Ogg Vorbis and
// Opus, AAC in MP4, PCM in WAV) into interleaved stereo float frames at the stream's own
// rate. Positions count frames of the decoded stream after the encoder's delay, which
// libavcodec trims (Opus pre-skip, an MP4 edit list); the length is where decoding
// really ends, so a file cut short is as long as what decodes.
class FfmpegDecoder final : public Decoder {
public:
    // The decoder at frame 0, or nullptr with the reason in Japanese in `error`.
    static std::unique_ptr<FfmpegDecoder> open(const QString& path, QString* error);
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;
    ~FfmpegDecoder() override;

    int sampleRate() const override { return m_rate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    // Lands on the frame asked for where the stream's timestamps are exact; see
    // docs/performance.md for what each format gives.
    bool seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;

private:
    FfmpegDecoder() = default;
    bool openFile(const QString& path, QString* error);
    // Decodes the next frame into m_pending; false at the end of the stream.
    bool decodeNext();
    bool receiveFrame();
    // Moves the demuxer to a packet at or before `from` and empties the decoder.
    bool rewindTo(std::int64_t from);
    // Decodes from the current place until `frame`, dropping what comes before it; false
    // when the first frame decoded starts after it, or none does.
    bool decodeUpTo(std::int64_t frame);
    // rewindTo and decodeUpTo, going further back where the demuxer lands too late.
    bool land(std::int64_t frame);
    std::int64_t framesFromPts(std::int64_t pts) const;
    std::int64_t ptsFromFrames(std::int64_t frames) const;
    std::int64_t pendingFrames() const;

    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_stream = -1;
    int m_channels = 0;
    int m_rate = 0;
    std::int64_t m_length = 0;
    std::int64_t m_position = 0;
    // Stream timestamp of frame 0, and frames the decoder needs before a seek's target
    // to settle (the overlap of a lossy codec's transform).
    std::int64_t m_zeroPts = 0;
    std::int64_t m_preroll = 0;
    bool m_trustPts = false;  // frames are placed by their timestamps (from a seek to its landing)
    std::int64_t m_nextFrame = 0;  // where the next decoded frame starts
    bool m_demuxerDone = false;
    bool m_decoderDone = false;
    std::vector<float> m_converted;  // interleaved in the stream's channels
    std::vector<float> m_pending;    // decoded stereo frames not read yet
    std::size_t m_pendingRead = 0;   // frames of m_pending already read
    std::int64_t m_pendingStart = 0;
};
