// The FFmpeg decoder opening a file of any bytes (FLAC, Ogg, MP4, WAV and whatever
// libavformat recognises), decoding its first seconds, and seeking in it.
#include "audio/ffmpeg/ffmpeg_decoder.h"
#include "fuzz_support.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lyricue {

namespace {

constexpr int kBlock = 1024;

// Reads up to `seconds` of frames; the position moves by what each read gives, never
// past the length, and the frames are numbers.
void readSome(FfmpegDecoder& decoder, double seconds)
{
    std::vector<float> stereo(std::size_t(kBlock) * 2);
    const std::int64_t frames = std::int64_t(seconds * decoder.sampleRate());
    for (std::int64_t done = 0; done < frames;) {
        const std::int64_t before = decoder.position();
        const int got = decoder.read(stereo.data(), kBlock);
        fuzz::check(got >= 0 && got <= kBlock, "read gives at most the frames asked for");
        fuzz::check(decoder.position() == before + got, "the position moves by the frames read");
        fuzz::check(decoder.position() <= decoder.lengthFrames(), "nothing is read past the length");
        for (int i = 0; i < got * 2; ++i)
            fuzz::check(std::isfinite(stereo[std::size_t(i)]), "decoded samples are numbers");
        if (got < kBlock) {
            // The end, or a damage that ends the stream early: either way nothing follows.
            fuzz::check(decoder.read(stereo.data(), kBlock) == 0, "nothing follows a short read");
            return;
        }
        done += got;
    }
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchFile file("track");
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    if (!file.write(data, size))
        return 0;

    ResultOf<std::unique_ptr<FfmpegDecoder>> opened = FfmpegDecoder::open(file.path());
    if (!opened.ok()) {
        fuzz::check(!opened.errorString().isEmpty(), "a refusal says why");
        return 0;
    }
    std::unique_ptr<FfmpegDecoder>& decoder = opened.value();
    fuzz::check(decoder->sampleRate() > 0, "a rate");
    fuzz::check(decoder->lengthFrames() > 0, "an opened track has frames");
    // At frame 0, or in a damaged stream at the first frame that decodes.
    fuzz::check(decoder->position() >= 0 && decoder->position() <= decoder->lengthFrames(), "it opens within the track");
    readSome(*decoder, 2.0);
    const std::int64_t length = decoder->lengthFrames();
    for (const std::int64_t target : {length / 2, length, std::int64_t(0)}) {
        if (!decoder->seek(target).ok())
            continue;
        fuzz::check(decoder->position() >= 0 && decoder->position() <= length, "a seek lands within the track");
        readSome(*decoder, 0.5);
    }
    return 0;
}

