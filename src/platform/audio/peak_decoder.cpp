#include "peak_decoder.h"

#include "mp3_decoder.h"

namespace {

constexpr int ReadBufferBytes = 128 * 1024;

}  // namespace

std::unique_ptr<Decoder> openPeakDecoder(const QString& path)
{
    auto decoder = std::make_unique<Mp3Decoder>();
    if (!decoder->open(path, ReadBufferBytes))
        return nullptr;
    return decoder;
}
