#pragma once

#include "audio/decoder.h"
#include "audio/ffmpeg/ogg_demuxer.h"
#include "base/result.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct AVCodec;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace lyricue {

// Decodes a file of FLAC, Ogg Vorbis or Opus, AAC in MP4 or PCM in WAV with libavcodec into
// interleaved stereo float frames at the stream's own rate. Every decoded frame goes where
// the stream's timestamps put it, so that a sound keeps its track time after damage as it
// does after a seek: what damage lost is silence of its length, the frames after it stay
// in place and the length stays the file's. Ogg Vorbis and Opus are read by OggDemuxer,
// whose page granules time them, and whose chained streams play one after the other as
// one track; libavformat reads the rest. Positions count frames after the encoder's delay
// (Opus pre-skip, an MP4 edit list); the length is where decoding really ends, so a file
// cut short is as long as what decodes.
class FfmpegDecoder final : public Decoder {
public:
    // The decoder at frame 0, or why the file cannot be played.
    static ResultOf<std::unique_ptr<FfmpegDecoder>> open(const QString& path);
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;
    ~FfmpegDecoder() override;

    int sampleRate() const override { return m_rate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    // Lands on the frame asked for: the frames after it are those a decoding from the
    // start gives there (AAC's noise filling aside).
    Result seek(std::int64_t frame) override;
    // Fewer frames than asked only at the end, or where a damaged stream stops decoding
    // before it; after that, nothing until a seek.
    int read(float* stereo, int frames) override;

private:
    // How the frames decoded up to the end of the next Ogg page are placed.
    enum class OggGroup {
        Discard,     // after a seek: they only settle the decoder, and time what follows
        ChainStart,  // they end at the page's granule; what comes before the chain is dropped
        InStep,      // they follow what came before, or where pages were lost, end at the granule
    };

    FfmpegDecoder();
    Result openFile(const QString& path);
    Result openContainer(const QString& path);
    Result openOgg();
    // Opens m_codec, set up for its stream, and the converter for its samples.
    Result startCodec(const AVCodec* codec);
    void resetDecoder();
    // Appends the decoded m_frame to `stereo`; the frames appended.
    std::int64_t appendFrame(std::vector<float>& stereo);

    // Puts `frames` decoded frames at track frame `at`, after silence where they begin past
    // what was placed before, dropping what lies before that or before m_floor, and what
    // lies from `cutAt` on.
    void place(const float* stereo, std::int64_t frames, std::int64_t at, std::int64_t cutAt);
    std::int64_t pendingFrames() const;
    void clearPending();
    // Places the next decoded frames into the pending ones; false at the end of the stream.
    bool decodeNext();
    // Decodes from the current place until `frame`, dropping what comes before it; false
    // when the first frame placed starts after it, or none does.
    bool decodeUpTo(std::int64_t frame);

    // Files libavformat reads.
    bool decodeFromContainer();
    bool receiveFrame();
    // Moves the demuxer to a packet at or before `from` and empties the decoder.
    bool rewindTo(std::int64_t from);
    // rewindTo and decodeUpTo, going further back where the demuxer lands too late.
    bool landInContainer(std::int64_t frame);
    std::int64_t framesFromPts(std::int64_t pts) const;
    std::int64_t ptsFromFrames(std::int64_t frames) const;

    // Ogg Vorbis and Opus.
    bool decodeFromOgg();
    Result openChain(int chain);
    // Finds the granule of the chain's first frame by decoding its first page.
    bool findChainZero(int chain);
    // Decodes one packet into m_held; false where the decoder refuses it.
    bool decodeOggPacket(const QByteArray& data);
    void drainOggDecoder();
    // Places m_held: they end at `granule` of the current chain, or follow on without one.
    void placeHeld(std::optional<std::int64_t> granule);
    bool landInOgg(std::int64_t frame);

    AVCodecContext* m_codec = nullptr;
    SwrContext* m_swr = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    int m_channels = 0;
    int m_rate = 0;
    std::int64_t m_length = 0;
    std::int64_t m_position = 0;
    bool m_decoderDone = false;
    bool m_cutShort = false;  // decoding stopped before the length: reads give nothing
    std::vector<float> m_converted;  // interleaved in the stream's channels
    std::vector<float> m_chunk;      // one decoded frame in stereo

    // Placing: where the frames placed so far end (nothing just after a seek), and the
    // first frame that may be placed.
    std::optional<std::int64_t> m_placedEnd;
    std::int64_t m_floor = 0;
    // Placed frames not read yet: m_pendingSilence frames of silence, then m_pending.
    std::vector<float> m_pending;
    std::int64_t m_pendingSilence = 0;
    std::int64_t m_pendingRead = 0;
    std::int64_t m_pendingStart = 0;  // track frame of the first of them

    // Files libavformat reads.
    AVFormatContext* m_format = nullptr;
    int m_stream = -1;
    std::int64_t m_zeroPts = 0;  // stream timestamp of frame 0
    // Frames the decoder needs before a seek's target to settle (the overlap of a lossy
    // codec's transform).
    std::int64_t m_preroll = 0;
    std::int64_t m_landingGuess = 0;  // where frames with no timestamp go after a seek
    std::int64_t m_timestampLimit = 0;  // timestamps past it are damaged
    bool m_demuxerDone = false;

    // Ogg Vorbis and Opus.
    std::unique_ptr<OggDemuxer> m_ogg;
    int m_chain = -1;  // whose decoder m_codec is
    OggGroup m_group = OggGroup::ChainStart;
    std::vector<float> m_held;  // stereo frames decoded since the last page end
    std::optional<OggDemuxer::Packet> m_stashed;  // a packet kept back for the next call
};

}  // namespace lyricue
