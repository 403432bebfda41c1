#include "audio/peak_decoder.h"

#include "audio/decoder_factory.h"

namespace lyricue {

namespace {

constexpr int ReadBufferBytes = 128 * 1024;

}  // namespace

std::unique_ptr<Decoder> openPeakDecoder(const QString& path)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path, ReadBufferBytes);
    if (!opened.ok())
        return nullptr;
    return std::move(opened).value();
}

}  // namespace lyricue
