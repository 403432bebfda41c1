#include "audio/track_audio_data.h"

#include "base/file_error_reason.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace lyricue {

namespace {

const QString Broken = QStringLiteral("ファイルの構造が壊れています");

quint64 bigEndian(QByteArrayView bytes, qsizetype at, int count)
{
    quint64 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

quint64 littleEndian(QByteArrayView bytes, qsizetype at, int count)
{
    quint64 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Past the ID3v2 tags at `at` (none, one, or several in a row).
qsizetype afterId3v2Tags(QByteArrayView file, qsizetype at)
{
    while (at + 10 <= file.size() && file.sliced(at, 3) == QByteArrayView("ID3")) {
        const qsizetype size = ((file[at + 6] & 0x7F) << 21) | ((file[at + 7] & 0x7F) << 14) |
                               ((file[at + 8] & 0x7F) << 7) | (file[at + 9] & 0x7F);
        const bool footer = (file[at + 5] & 0x10) != 0;
        at += 10 + size + (footer ? 10 : 0);
    }
    return at;
}

ResultOf<std::vector<ByteSpan>> restFrom(QByteArrayView file, qsizetype at)
{
    if (at >= file.size())
        return Result::failure(Broken);
    return std::vector<ByteSpan>{{at, file.size() - at}};
}

ResultOf<std::vector<ByteSpan>> waveData(QByteArrayView file)
{
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const auto size = static_cast<qsizetype>(littleEndian(file, at + 4, 4));
        if (file.sliced(at, 4) == QByteArrayView("data")) {
            if (size > file.size() - at - 8)
                return Result::failure(Broken);
            return std::vector<ByteSpan>{{at + 8, size}};
        }
        at += 8 + size + (size & 1);
    }
    return Result::failure(Broken);
}

ResultOf<std::vector<ByteSpan>> flacFrames(QByteArrayView file)
{
    qsizetype at = afterId3v2Tags(file, 0);
    if (at + 4 > file.size() || file.sliced(at, 4) != QByteArrayView("fLaC"))
        return Result::failure(Broken);
    at += 4;
    for (bool last = false; !last;) {
        if (at + 4 > file.size())
            return Result::failure(Broken);
        last = (static_cast<unsigned char>(file[at]) & 0x80) != 0;
        at += 4 + static_cast<qsizetype>(bigEndian(file, at + 1, 3));
    }
    return restFrom(file, at);
}

// The number of header packets of the Ogg stream whose first packet is `packet`.
int oggHeaderPackets(QByteArrayView packet)
{
    if (packet.startsWith("\x01vorbis"))
        return 3;
    if (packet.startsWith("OpusHead"))
        return 2;
    if (packet.startsWith("\x7F" "FLAC") && packet.size() >= 9)
        return 1 + static_cast<int>(bigEndian(packet, 7, 2));
    return -1;
}

ResultOf<std::vector<ByteSpan>> oggPackets(QByteArrayView file)
{
    std::vector<ByteSpan> spans;
    const auto add = [&spans](qsizetype offset, qsizetype size) {
        if (size <= 0)
            return;
        if (!spans.empty() && spans.back().offset + spans.back().size == offset)
            spans.back().size += size;
        else
            spans.push_back({offset, size});
    };
    int headerPackets = -1;
    int packetsEnded = 0;
    quint64 firstSerial = 0;
    for (qsizetype at = 0; at < file.size();) {
        if (at + 27 > file.size() || file.sliced(at, 4) != QByteArrayView("OggS"))
            return Result::failure(Broken);
        const quint64 serial = littleEndian(file, at + 14, 4);
        const int segments = static_cast<unsigned char>(file[at + 26]);
        qsizetype body = at + 27 + segments;
        if (body > file.size())
            return Result::failure(Broken);
        if (headerPackets < 0) {
            headerPackets = oggHeaderPackets(file.sliced(body, std::min<qsizetype>(16, file.size() - body)));
            firstSerial = serial;
            if (headerPackets < 0)
                return Result::failure(QStringLiteral("Ogg の中身が Vorbis, Opus, FLAC のどれでもありません"));
        }
        for (int segment = 0; segment < segments; ++segment) {
            const int lacing = static_cast<unsigned char>(file[at + 27 + segment]);
            if (body + lacing > file.size())
                return Result::failure(Broken);
            if (serial != firstSerial || packetsEnded >= headerPackets)
                add(body, lacing);
            else if (lacing < 255)
                ++packetsEnded;
            body += lacing;
        }
        at = body;
    }
    if (packetsEnded < headerPackets || spans.empty())
        return Result::failure(Broken);
    return spans;
}

ResultOf<std::vector<ByteSpan>> mp4MediaData(QByteArrayView file)
{
    std::vector<ByteSpan> spans;
    for (qsizetype at = 0; at < file.size();) {
        if (at + 8 > file.size())
            return Result::failure(Broken);
        auto size = static_cast<qsizetype>(bigEndian(file, at, 4));
        qsizetype header = 8;
        if (size == 1) {
            if (at + 16 > file.size())
                return Result::failure(Broken);
            size = static_cast<qsizetype>(bigEndian(file, at + 8, 8));
            header = 16;
        } else if (size == 0) {
            size = file.size() - at;
        }
        if (size < header || size > file.size() - at)
            return Result::failure(Broken);
        if (file.sliced(at + 4, 4) == QByteArrayView("mdat"))
            spans.push_back({at + header, size - header});
        at += size;
    }
    if (spans.empty())
        return Result::failure(Broken);
    return spans;
}

// The file's bytes, mapped; empty with the reason when they cannot be.
struct MappedFile {
    QFile file;
    QByteArrayView bytes;
    QString failure;

    explicit MappedFile(const QString& path) : file(path)
    {
        if (!file.open(QIODevice::ReadOnly)) {
            failure = fileErrorReason(file.errorString());
            return;
        }
        if (file.size() == 0) {
            failure = QStringLiteral("ファイルが空です");
            return;
        }
        const uchar* mapped = file.map(0, file.size());
        if (!mapped) {
            failure = fileErrorReason(file.errorString());
            return;
        }
        bytes = QByteArrayView(reinterpret_cast<const char*>(mapped), file.size());
    }
};

// Whether the bytes of `a`'s spans, run together, equal those of `b`'s. Read in large
// pieces rather than through the mappings: touching every page of two mapped files of
// hundreds of megabytes costs more than reading them.
bool sameBytes(QFile& a, const std::vector<ByteSpan>& aSpans, QFile& b, const std::vector<ByteSpan>& bSpans)
{
    constexpr qsizetype Piece = qsizetype(4) << 20;
    QByteArray aBytes(Piece, Qt::Uninitialized);
    QByteArray bBytes(Piece, Qt::Uninitialized);
    std::size_t i = 0, j = 0;
    qsizetype aDone = 0, bDone = 0;
    while (i < aSpans.size() && j < bSpans.size()) {
        const qsizetype count = std::min({aSpans[i].size - aDone, bSpans[j].size - bDone, Piece});
        if (!a.seek(aSpans[i].offset + aDone) || !b.seek(bSpans[j].offset + bDone) ||
            a.read(aBytes.data(), count) != count || b.read(bBytes.data(), count) != count ||
            std::memcmp(aBytes.constData(), bBytes.constData(), static_cast<std::size_t>(count)) != 0)
            return false;
        aDone += count;
        bDone += count;
        if (aDone == aSpans[i].size) {
            ++i;
            aDone = 0;
        }
        if (bDone == bSpans[j].size) {
            ++j;
            bDone = 0;
        }
    }
    return i == aSpans.size() && j == bSpans.size();
}

}  // namespace

ResultOf<std::vector<ByteSpan>> audioDataSpans(QByteArrayView file, TrackContainer container)
{
    switch (container) {
    case TrackContainer::Mpeg:
        return restFrom(file, afterId3v2Tags(file, 0));
    case TrackContainer::Wave:
        return waveData(file);
    case TrackContainer::Flac:
        return flacFrames(file);
    case TrackContainer::Ogg:
        return oggPackets(file);
    case TrackContainer::Mp4:
        return mp4MediaData(file);
    case TrackContainer::Rmp:
        break;
    }
    return Result::failure(QStringLiteral("RMP ファイルは歌詞を格納できません"));
}

Result sameAudioData(const QString& original, const QString& changed)
{
    MappedFile before(original);
    if (!before.failure.isEmpty())
        return Result::failure(before.failure);
    MappedFile after(changed);
    if (!after.failure.isEmpty())
        return Result::failure(QStringLiteral("書き換えた写しを読めません: %1").arg(after.failure));
    const TrackContainer container = trackContainerOf(before.bytes.first(std::min<qsizetype>(12, before.bytes.size())));
    const ResultOf<std::vector<ByteSpan>> beforeSpans = audioDataSpans(before.bytes, container);
    if (!beforeSpans.ok())
        return Result::failure(beforeSpans.errorString());
    const ResultOf<std::vector<ByteSpan>> afterSpans = audioDataSpans(after.bytes, container);
    if (!afterSpans.ok() || !sameBytes(before.file, beforeSpans.value(), after.file, afterSpans.value()))
        return Result::failure(QStringLiteral("書き換えた写しの音声データが元と一致しません"));
    return Result();
}

}  // namespace lyricue
