#pragma once

#include "audio/decoder.h"
#include "audio/file_window_reader.h"
#include "base/result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// mpg123's handle, declared here so that only the decoder's own file includes <mpg123.h>.
struct mpg123_handle_struct;

namespace lyricue {

// Decodes the MP3 stream of a file (a plain MP3 file, or the data chunk of an RMP file)
// with mpg123 into interleaved stereo float frames at the track's own rate. Positions
// count frames of the decoded stream, with the encoder's delay and padding trimmed.
class Mp3Decoder final : public Decoder {
public:
    struct Info {
        QByteArray formatName;  // "MPEG 1 Layer III"
        QByteArray modeName;    // "Mono", "Stereo", "Joint Stereo", "Dual Channel"
        int mpegVersion = 0;    // 1, 2, or 25 for MPEG 2.5
        int layer = 0;
        int sampleRate = 0;
        int channels = 0;  // of the track; decoded frames are stereo all the same
        int bitRateKbps = 0;  // average over the stream
        bool isVbr = false;
        std::int64_t mpegFrames = 0;
        std::int64_t lengthFrames = 0;  // decoded frames, exact
        bool hasXing = false;
        bool isRiff = false;
        bool hasId3v2 = false;
        bool hasId3v1 = false;
        int encoderDelay = -1;  // from the LAME tag; -1 when unknown
        int encoderPadding = -1;
    };

    Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;
    ~Mp3Decoder() override;

    // Fails, with the decoder closed, when no frame of the file decodes: a missing or
    // empty file, a directory, bytes with no frames. A damaged stream opens: cut short
    // (the length is then what decodes), with junk or an ID3 tag between its frames, or
    // with a bad first frame.
    Result open(const QString& path, int readBufferBytes);
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    // Where the length came from a header, no scan built the seek index: builds it on a
    // thread of its own, so that the first seek far into a long track does not read the
    // whole file on the way. The next seek takes it when it is ready.
    void indexInBackground();
    const Info& info() const { return m_info; }

    int sampleRate() const override { return m_info.sampleRate; }
    std::int64_t lengthFrames() const override { return m_info.lengthFrames; }
    // The frame that read() gives next.
    std::int64_t position() const override;
    // Moves to any frame from 0 to the length, sample-exact in a sound stream: the samples
    // after it are those of a decoding from the start. A stream that mixes layers (a
    // stray Layer I frame in Layer III) upsets mpg123's count of frames: the seek then
    // lands near, and position() tells where. False, and the position unknown, when
    // mpg123 cannot seek.
    Result seek(std::int64_t frame) override;
    // Decodes up to `frames` frames; fewer only where the stream ends (0 there), or
    // where a damaged frame ends it early.
    int read(float* stereo, int frames) override;

private:
    class Indexer;
    struct Window {
        QString path;
        std::int64_t begin;
        std::int64_t end;
    };

    Result openStream(const QString& path, int readBufferBytes);
    // Decodes the last frames to find where the stream really ends.
    std::int64_t decodedEnd(std::int64_t claimedLength);

    mpg123_handle_struct* m_handle = nullptr;
    FileWindowReader m_reader;
    Info m_info;
    // Frames read since the last seek landed: what mpg123 tells (mpg123_tell) runs apart
    // from what it gives where junk between frames decodes.
    std::int64_t m_position = 0;
    std::int64_t m_seekPreroll = 0;  // samples decoded and dropped before a seek's target
    std::vector<float> m_discard;
    std::optional<Window> m_unscanned;
    std::unique_ptr<Indexer> m_indexer;
};

}  // namespace lyricue
