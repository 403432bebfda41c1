#include "audio/decoder_factory.h"

#include "audio/ffmpeg/ffmpeg_module_entry.h"
#include "audio/library_loader.h"
#include "audio/mp3_decoder.h"
#include "base/log.h"

#include <QFile>

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

ResultOf<FfmpegModuleEntry> loadFfmpegModule(const QStringList& folders)
{
    return loadModuleEntry<FfmpegModuleEntry>(QStringLiteral("lyricue_ffmpeg"), ffmpegModuleEntryName, folders,
                                              QStringLiteral("復号モジュール lyricue_ffmpeg"));
}

ResultOf<std::unique_ptr<Decoder>> openWithFfmpegModule(FfmpegModuleEntry entry, const QString& path)
{
    // The module's C entry gives a decoder, or nullptr and the reason: a Result from here on.
    QString error;
    std::unique_ptr<Decoder> decoder(entry(&path, &error));
    if (!decoder)
        return Result::failure(QStringLiteral("%1 を開けません: %2").arg(path, error));
    return decoder;
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
        if (Result opened = decoder->open(path, readBufferBytes); !opened.ok())
            return opened;
        return std::unique_ptr<Decoder>(std::move(decoder));
    }
    static const ResultOf<FfmpegModuleEntry> module = [] {
        ResultOf<FfmpegModuleEntry> loaded = loadFfmpegModule(moduleFolders());
        if (!loaded.ok())
            logWarning(QStringLiteral("cannot load the FFmpeg decoding module: %1").arg(loaded.errorString()));
        return loaded;
    }();
    if (!module.ok())
        return Result::failure(
            QStringLiteral("FLAC・Ogg・MP4・WAV の曲を開くには FFmpeg のライブラリ (%1) と復号モジュール "
                           "lyricue_ffmpeg が要りますが、読み込めません: %2")
                .arg(QLatin1String(kFfmpegPackages), module.errorString()));
    return openWithFfmpegModule(module.value(), path);
}

}  // namespace lyricue
