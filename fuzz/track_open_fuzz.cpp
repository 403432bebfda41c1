// Engine opening a track: MP3 with ID3v1/v2 tags or RIFF 'RMP3' with INFO chunks, its tags and details, a little decoding with no sound device.
#include "audio/playback_engine.h"
#include "audio/audio_engine.h"
#include "fuzz_support.h"
#include "text/record_text.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace lyricue {

namespace {

constexpr int kBlock = 1024;

template <std::size_t N>
bool terminated(const char (&field)[N])
{
    return std::memchr(field, 0, N) != nullptr;
}

bool validRate(std::int32_t rate)
{
    for (const std::int32_t known : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
        if (rate == known)
            return true;
    }
    return false;
}

// Renders a few blocks; render() never reports more frames than asked for.
void renderSome(PlaybackEngine& engine, int blocks)
{
    std::vector<float> stereo(std::size_t(kBlock) * 2);
    for (int i = 0; i < blocks; ++i) {
        const int got = engine.render(stereo.data(), kBlock);
        fuzz::check(got >= 0 && got <= kBlock, "render gives at most the frames asked for");
    }
}

void checkTags(const TrackTagRecord& tags, const TrackTextRecord& texts)
{
    fuzz::check(terminated(tags.title) && terminated(tags.artist) && terminated(tags.album)
                    && terminated(tags.year) && terminated(tags.comment) && terminated(tags.genreName),
                "every tag text ends in its field");
    fuzz::check(tags.genreNumber >= 0 && tags.genreNumber <= 255, "the genre is an ID3v1 index or 255");
    for (const auto& text : texts.texts)
        fuzz::check(terminated(text), "every INFO text ends in its field");
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchFile file("track.mp3");
    if (!file.write(data, size))
        return 0;

    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    TrackTagRecord tags;
    TrackDetailRecord detail;
    TrackTextRecord texts;
    // Before any open: the engine probes the file itself.
    const std::int32_t probed = engine.vbmp3_getFileInfo2(file.path(), tags, detail, texts);
    fuzz::check(probed == 1, "a readable file gives its information");
    checkTags(tags, texts);

    TrackOpenRecord info;
    if (engine.vbmp3_open(file.path(), info) != 1) {
        const TrackOpenRecord zero{};
        fuzz::check(std::memcmp(&info, &zero, sizeof info) == 0, "a refused open leaves a zero record");
        std::int32_t seconds = -1;
        fuzz::check(engine.vbmp3_play() == 0, "nothing plays without a track");
        fuzz::check(engine.vbmp3_getState(seconds) == EngineStopped && seconds == 0, "no track, no position");
        return 0;
    }
    fuzz::check(terminated(info.format) && terminated(info.mode), "format and mode end in their fields");
    fuzz::check(validRate(info.sampleRate), "an MPEG sample rate");
    fuzz::check(info.channels == 1 || info.channels == 2, "one or two channels");
    fuzz::check(info.lengthSeconds >= 0, "a length is not negative");

    // The open track's details agree with what open said.
    engine.vbmp3_getFileInfo2(file.path(), tags, detail, texts);
    checkTags(tags, texts);
    fuzz::check(detail.sampleRate == info.sampleRate && detail.channels == info.channels,
                "details match the open track");
    constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
    fuzz::check(detail.lengthMs / 1000 == info.lengthSeconds
                    || (detail.lengthMs == kMost && info.lengthSeconds >= kMost / 1000),
                "length in ms and in seconds agree, or the ms are clamped");
    fuzz::check(detail.frameCount >= 0, "a frame count is not negative");

    engine.vbmp3_play();
    renderSome(engine, 4);
    fuzz::check(engine.vbmp3_seek(info.lengthSeconds / 2) == 1, "a seek within the track works");
    renderSome(engine, 2);
    fuzz::check(engine.vbmp3_seek(info.lengthSeconds + 1) == 0, "a seek past the end is refused");
    std::int32_t seconds = -1;
    const std::int32_t state = engine.vbmp3_getState(seconds);
    fuzz::check(seconds >= 0 && seconds <= info.lengthSeconds, "the position lies within the track");
    fuzz::check(state == EnginePlaying || state == EngineStopped, "playing, or stopped at the end");

    // Once more through the rate converter, mixed to mono.
    engine.vbmp3_stop();
    DecodeOptionRecord convert{1, 0, info.sampleRate == 48000 ? 44100 : 48000};
    fuzz::check(engine.vbmp3_setDecodeOption(convert) == 1, "a valid decode option is taken");
    engine.vbmp3_play();
    renderSome(engine, 4);
    engine.vbmp3_close();
    return 0;
}

