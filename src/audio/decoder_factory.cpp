#include "audio/decoder_factory.h"

#include "audio/module_loader.h"
#include "audio/mp3_decoder.h"
#include "audio/ffmpeg/ffmpeg_module_entry.h"

#include <QFile>

#include <cstdio>

namespace lyricue {

namespace {

// What the module needs that may be missing, named for the user.
const char* const kFfmpegPackages = "libavformat59, libavcodec59, libswresample4";

QByteArray headOf(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray head = file.read(bytes);
    // FLAC may follow an ID3v2 tag.
    if (head.startsWith("ID3") && head.size() >= 10) {
        const qint64 tagSize = ((head[6] & 0x7F) << 21) | ((head[7] & 0x7F) << 14) | ((head[8] & 0x7F) << 7)
            | (head[9] & 0x7F);
        if (file.seek(10 + tagSize + ((head[5] & 0x10) ? 10 : 0)))
            head = file.read(bytes);
    }
    return head;
}

}  // namespace

FfmpegModuleEntry loadFfmpegModule(const QStringList& folders, QString* reasons)
{
    return reinterpret_cast<FfmpegModuleEntry>(
        loadModuleFunction(QStringLiteral("lyricue_ffmpeg"), ffmpegModuleEntryName, folders, reasons));
}

bool isFfmpegContainer(const QString& path)
{
    const QByteArray head = headOf(path, 12);
    if (head.startsWith("fLaC") || head.startsWith("OggS"))
        return true;
    if (head.size() >= 12 && head.mid(4, 4) == "ftyp")
        return true;
    return head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

ResultOf<std::unique_ptr<Decoder>> openDecoderFor(const QString& path, int readBufferBytes)
{
    if (!isFfmpegContainer(path)) {
        auto decoder = std::make_unique<Mp3Decoder>();
        if (!decoder->open(path, readBufferBytes))
            return Result::failure(QStringLiteral("MP3 として復号できるフレームがありません: %1").arg(path));
        return std::unique_ptr<Decoder>(std::move(decoder));
    }
    static QString missing;
    static const FfmpegModuleEntry openWithFfmpeg = [] {
        const FfmpegModuleEntry entry = loadFfmpegModule(moduleFolders(), &missing);
        if (!entry)
            std::fprintf(stderr, "Lyricue: cannot load the FFmpeg decoding module: %s\n", qPrintable(missing));
        return entry;
    }();
    if (!openWithFfmpeg)
        return Result::failure(
            QStringLiteral("FLAC・Ogg・MP4・WAV の曲を開くには FFmpeg のライブラリ (%1) と復号モジュール "
                           "lyricue_ffmpeg が要りますが、読み込めません: %2")
                .arg(QLatin1String(kFfmpegPackages), missing));
    QString error;
    std::unique_ptr<Decoder> decoder(openWithFfmpeg(&path, &error));
    if (!decoder)
        return Result::failure(QStringLiteral("%1 を開けません: %2").arg(path, error));
    return decoder;
}

}  // namespace lyricue
