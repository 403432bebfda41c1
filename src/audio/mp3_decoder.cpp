#include "audio/mp3_decoder.h"

#include "audio/stream_layout.h"

#include <QFile>
#include <QFileInfo>

#include <mpg123.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <thread>

namespace lyricue {

namespace {

// mpg123's reader callbacks; `handle` is the FileWindowReader.
mpg123_ssize_t readWindow(void* handle, void* buffer, size_t bytes)
{
    return static_cast<mpg123_ssize_t>(static_cast<FileWindowReader*>(handle)->read(buffer, bytes));
}

off_t seekWindow(void* handle, off_t offset, int whence)
{
    return static_cast<off_t>(static_cast<FileWindowReader*>(handle)->seek(offset, whence));
}

QByteArray modeName(int mode)
{
    switch (mode) {
    case MPG123_M_MONO:
        return QByteArrayLiteral("Mono");
    case MPG123_M_JOINT:
        return QByteArrayLiteral("Joint Stereo");
    case MPG123_M_DUAL:
        return QByteArrayLiteral("Dual Channel");
    default:
        return QByteArrayLiteral("Stereo");
    }
}

QByteArray formatName(int version, int layer)
{
    const QByteArray mpeg = version == 1 ? "1" : version == 2 ? "2" : "2.5";
    const QByteArray layerName = layer == 1 ? "I" : layer == 2 ? "II" : "III";
    return "MPEG " + mpeg + " Layer " + layerName;
}

// Frames to decode before a seek's target so that its samples are those of a decoding from
// the start. A Layer III frame's data may begin up to 511 bytes (255 in MPEG 2 and 2.5)
// before the frame, in the bit reservoir that earlier frames carry: at the lowest bit rate
// of the stream's kind only a few bytes of each frame are data, so the reservoir may reach
// back over many frames. Two more frames give the transform's overlap and the synthesis
// filter's history; Layers I and II have no reservoir and need only those.
std::int64_t seekPrerollSamples(const mpg123_frameinfo& frame)
{
    const bool mpeg1 = frame.version == MPG123_1_0;
    const std::int64_t samplesPerFrame = frame.layer == 1 ? 384 : frame.layer == 3 && !mpeg1 ? 576 : 1152;
    if (frame.layer != 3 || frame.rate <= 0)
        return 2 * samplesPerFrame;
    const bool mono = frame.mode == MPG123_M_MONO;
    const int sideInfoBytes = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const long lowestBitRate = mpeg1 ? 32000 : 8000;
    const long smallestFrame = samplesPerFrame / 8 * lowestBitRate / frame.rate;
    // Header and checksum aside; at least 8 bytes, so that a stream whose smallest frames
    // could carry almost nothing does not decode seconds ahead of every seek.
    const long dataBytes = std::max<long>(8, smallestFrame - 4 - 2 - sideInfoBytes);
    const long reservoirBytes = mpeg1 ? 511 : 255;
    return ((reservoirBytes + dataBytes - 1) / dataBytes + 2) * samplesPerFrame;
}

// A handle that decodes to stereo float at any rate, reading through `reader`.
mpg123_handle* openHandle(FileWindowReader& reader)
{
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (!handle)
        return nullptr;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Junk between frames is skipped however long it is, not only its first kilobyte.
    mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0);
    // A full index keeps sample-exact seeks short on long tracks.
    mpg123_param(handle, MPG123_INDEX_SIZE, -1000, 0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_replace_reader_handle(handle, &readWindow, &seekWindow, nullptr) != MPG123_OK
        || mpg123_open_handle(handle, &reader) != MPG123_OK) {
        mpg123_delete(handle);
        return nullptr;
    }
    return handle;
}

}  // namespace

// Scans a track with a handle of its own, on a thread of its own, for the seek index.
class Mp3Decoder::Indexer {
public:
    struct Index {
        std::vector<off_t> offsets;
        off_t step = 0;
    };

    Indexer(const QString& path, std::int64_t begin, std::int64_t end)
    {
        m_thread = std::thread([this, path, begin, end] { scan(path, begin, end); });
    }
    ~Indexer()
    {
        m_cancel = true;
        m_thread.join();
    }

    // The index, once; nothing before the scan is done.
    std::optional<Index> take()
    {
        std::lock_guard lock(m_mutex);
        std::optional<Index> index = std::move(m_index);
        m_index.reset();
        return index;
    }

private:
    void scan(const QString& path, std::int64_t begin, std::int64_t end)
    {
        FileWindowReader reader;
        if (!reader.open(path, begin, end, 256 * 1024).ok())
            return;
        reader.setCancel(&m_cancel);
        mpg123_handle* handle = openHandle(reader);
        if (!handle)
            return;
        off_t* offsets = nullptr;
        off_t step = 0;
        size_t fill = 0;
        if (mpg123_scan(handle) == MPG123_OK && mpg123_index(handle, &offsets, &step, &fill) == MPG123_OK) {
            std::lock_guard lock(m_mutex);
            m_index = Index{std::vector<off_t>(offsets, offsets + fill), step};
        }
        mpg123_delete(handle);
    }

    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;
    std::optional<Index> m_index;
    std::thread m_thread;
};

Mp3Decoder::Mp3Decoder() = default;

Mp3Decoder::~Mp3Decoder()
{
    close();
}

Result Mp3Decoder::open(const QString& path, int readBufferBytes)
{
    close();
    if (Result opened = openStream(path, readBufferBytes); !opened.ok()) {
        close();
        return Result::failure(QStringLiteral("%1 を MP3 として開けません: %2").arg(path, opened.errorString()));
    }
    return {};
}

Result Mp3Decoder::openStream(const QString& path, int readBufferBytes)
{
    const QFileInfo fileInfo(path);
    if (!fileInfo.isFile() || fileInfo.size() == 0)
        return Result::failure(QStringLiteral("ファイルがないか、空です"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(file.errorString());
    const auto layout = StreamLayout::read(file);
    if (!layout)
        return Result::failure(QStringLiteral("復号できる MP3 フレームがありません"));
    if (Result opened = m_reader.open(path, layout->streamBegin, layout->streamEnd, readBufferBytes); !opened.ok())
        return opened;
    m_handle = openHandle(m_reader);
    if (!m_handle)
        return Result::failure(QStringLiteral("MP3 デコーダーを用意できません"));

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || channels != 2
        || encoding != MPG123_ENC_FLOAT_32)
        return Result::failure(QStringLiteral("復号できる MP3 フレームがありません"));
    mpg123_frameinfo first{};
    mpg123_info(m_handle, &first);
    m_seekPreroll = seekPrerollSamples(first);

    // Without a frame count in a Xing/Info header, mpg123's length is a guess from the
    // file size (2.4 times off for VBR); a scan counts the frames. The header is trusted
    // only where the file holds the bytes it counts: a file cut short, or with junk
    // between its frames, is damaged.
    const bool cut = layout->isCut();
    const bool damaged = cut || layout->hasStrayBytes();
    const bool hasHeader = layout->hasXing && layout->xingFrames;
    std::int64_t length = 0;
    if (hasHeader && !damaged) {
        length = mpg123_length(m_handle);
        m_unscanned = Window{path, layout->streamBegin, layout->streamEnd};
    } else if (hasHeader) {
        // A scan would count other frames than the header does, and mpg123 would then drop
        // the encoder's delay it trims at the start: the frames would not be the intact
        // file's. The header's delay stays, and the length is what decodes: up to the cut,
        // or up to the header's count of frames, junk and all.
        m_info.sampleRate = static_cast<int>(rate);
        m_info.lengthFrames = mpg123_length(m_handle);
        const std::int64_t toTheCut = StreamLayout::completeFrames(file, layout->firstFrame, layout->streamEnd)
            * layout->firstHeader.samplesPerFrame();
        length = decodedEnd(cut ? std::min<std::int64_t>(toTheCut, m_info.lengthFrames) : m_info.lengthFrames);
    } else {
        if (mpg123_scan(m_handle) != MPG123_OK)
            return Result::failure(QStringLiteral("MP3 のフレームを数えられません"));
        m_info.sampleRate = static_cast<int>(rate);
        m_info.lengthFrames = mpg123_length(m_handle);
        // A damaged end may hold less than the frames counted, or more.
        length = decodedEnd(m_info.lengthFrames);
    }
    if (length <= 0)
        return Result::failure(QStringLiteral("復号できる MP3 フレームがありません"));
    m_info.sampleRate = static_cast<int>(rate);

    mpg123_frameinfo frame{};
    mpg123_info(m_handle, &frame);
    m_info.mpegVersion = frame.version == MPG123_1_0 ? 1 : frame.version == MPG123_2_0 ? 2 : 25;
    m_info.layer = frame.layer;
    m_info.formatName = formatName(m_info.mpegVersion, m_info.layer);
    m_info.modeName = modeName(frame.mode);
    m_info.channels = frame.mode == MPG123_M_MONO ? 1 : 2;
    m_info.lengthFrames = length;
    m_info.mpegFrames = std::max<off_t>(0, mpg123_framelength(m_handle));
    m_info.hasXing = layout->hasXing;
    m_info.isRiff = layout->isRiff;
    m_info.hasId3v2 = layout->hasId3v2;
    m_info.hasId3v1 = layout->hasId3v1;
    long value = -1;
    double unused = 0;
    if (mpg123_getstate(m_handle, MPG123_ENC_DELAY, &value, &unused) == MPG123_OK)
        m_info.encoderDelay = static_cast<int>(value);
    if (mpg123_getstate(m_handle, MPG123_ENC_PADDING, &value, &unused) == MPG123_OK)
        m_info.encoderPadding = static_cast<int>(value);

    const std::int64_t streamBytes = layout->xingBytes
        ? std::int64_t(*layout->xingBytes)
        : layout->streamEnd - (layout->firstFrame >= 0 ? layout->firstFrame : layout->streamBegin);
    const double seconds = double(length) / rate;
    const int average = static_cast<int>(std::lround(streamBytes * 8 / seconds / 1000));
    m_info.isVbr = layout->hasXing ? layout->xingMarksVbr : std::abs(average - frame.bitrate) > 2;
    m_info.bitRateKbps = m_info.isVbr ? average : frame.bitrate;
    return {};
}

std::int64_t Mp3Decoder::decodedEnd(std::int64_t claimedLength)
{
    // From a few MPEG frames before the counted end, on to where frames stop coming.
    constexpr std::int64_t kBack = 8 * 1152;
    if (!seek(std::max<std::int64_t>(0, claimedLength - kBack)).ok())
        return claimedLength;
    m_info.lengthFrames = 0;  // no end known while looking for it
    m_discard.resize(std::size_t(4096) * 2);
    while (read(m_discard.data(), 4096) > 0) {
    }
    const std::int64_t end = position();
    m_info.lengthFrames = end;
    if (!seek(0).ok())
        return 0;
    return end;
}

void Mp3Decoder::indexInBackground()
{
    // Up to a few megabytes, a far seek reads the file on the way in a few milliseconds.
    constexpr std::int64_t kSmallStream = 4 * 1024 * 1024;
    if (m_unscanned && !m_indexer && m_unscanned->end - m_unscanned->begin > kSmallStream)
        m_indexer = std::make_unique<Indexer>(m_unscanned->path, m_unscanned->begin, m_unscanned->end);
}

void Mp3Decoder::close()
{
    m_indexer.reset();
    m_unscanned.reset();
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
    m_handle = nullptr;
    m_position = 0;
    m_seekPreroll = 0;
    m_reader.close();
    m_info = Info{};
}

std::int64_t Mp3Decoder::position() const
{
    return m_position;
}

Result Mp3Decoder::seek(std::int64_t frame)
{
    if (!m_handle || frame < 0 || frame > m_info.lengthFrames)
        return seekRefused(frame);
    if (m_indexer) {
        if (std::optional<Indexer::Index> index = m_indexer->take()) {
            mpg123_set_index(m_handle, index->offsets.data(), index->step, index->offsets.size());
            m_indexer.reset();
        }
    }
    // mpg123 lands on the frame exactly, but its samples come out wrong unless the decoder
    // has run through the frames whose bytes and overlap it needs: start earlier and drop
    // the samples in between.
    const off_t landed = mpg123_seek(m_handle, std::max<std::int64_t>(0, frame - m_seekPreroll), SEEK_SET);
    if (landed < 0)
        return seekRefused(frame);
    // What mpg123 counts from here on; in a damaged stream it may say it landed past
    // the frame asked for, or past the end.
    m_position = std::clamp<std::int64_t>(mpg123_tell(m_handle) >= 0 ? mpg123_tell(m_handle) : landed, 0, frame);
    // Dropped a block at a time: where a header claims far more frames than the stream
    // holds, mpg123 may land billions of frames short, and the stream ends long before.
    constexpr int kDiscardBlock = 4096;
    m_discard.resize(std::size_t(kDiscardBlock) * 2);
    for (std::int64_t skip = frame - m_position; skip > 0;) {
        const int wanted = static_cast<int>(std::min<std::int64_t>(skip, kDiscardBlock));
        const int got = read(m_discard.data(), wanted);
        if (got < wanted)
            break;
        skip -= got;
    }
    return Result();
}

int Mp3Decoder::read(float* stereo, int frames)
{
    if (!m_handle)
        return 0;
    // Junk between frames may decode as more frames than the length counts: the length
    // is where the track ends all the same.
    if (m_info.lengthFrames > 0)
        frames = static_cast<int>(std::clamp<std::int64_t>(m_info.lengthFrames - position(), 0, frames));
    int got = 0;
    while (got < frames) {
        size_t bytes = 0;
        const int result = mpg123_read(m_handle, reinterpret_cast<unsigned char*>(stereo + 2 * got),
                                       static_cast<size_t>(frames - got) * 2 * sizeof(float), &bytes);
        got += static_cast<int>(bytes / (2 * sizeof(float)));
        m_position += static_cast<std::int64_t>(bytes / (2 * sizeof(float)));
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result != MPG123_OK || bytes == 0)
            break;
    }
    return got;
}

}  // namespace lyricue
