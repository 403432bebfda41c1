#include "audio/sdl_output.h"

#include "audio/sdl_audio_api.h"

namespace lyricue {

namespace {

std::int64_t nanoseconds(SoundOutput::TimePoint time)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

}  // namespace

SdlOutput::SdlOutput(OutputFeed& feed)
    : m_feed(feed)
{
}

ResultOf<std::unique_ptr<SdlOutput>> SdlOutput::open(int sampleRate, int bufferFrames, OutputFeed& feed)
{
    const SdlAudioApi* sdl = sdlAudio();
    if (!sdl)
        return Result::failure(QStringLiteral("SDL2 を読み込めないため音を出せません"));
    // SDL counts these: each device's own start is undone when it closes.
    if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Result::failure(QStringLiteral("SDL の音声を始められません: %1").arg(QString::fromUtf8(sdl->GetError())));
    std::unique_ptr<SdlOutput> output(new SdlOutput(feed));
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(bufferFrames);
    wanted.callback = &SdlOutput::callback;
    wanted.userdata = output.get();
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants, so the callback
    // always gets the rate and buffer asked for here.
    output->m_device = sdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (output->m_device == 0) {
        const QString reason = QString::fromUtf8(sdl->GetError());
        sdl->QuitSubSystem(SDL_INIT_AUDIO);
        return Result::failure(QStringLiteral("音を出す装置を開けません: %1").arg(reason));
    }
    output->m_sampleRate = obtained.freq;
    output->m_bufferFrames = obtained.samples;
    return output;
}

SdlOutput::~SdlOutput()
{
    if (m_device == 0)
        return;
    sdlAudio()->CloseAudioDevice(m_device);
    sdlAudio()->QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlOutput::resume()
{
    if (!m_paused)
        return;
    m_feed.restartTimeline();
    sdlAudio()->PauseAudioDevice(m_device, 0);
    m_paused = false;
}

void SdlOutput::suspend()
{
    if (m_paused)
        return;
    sdlAudio()->PauseAudioDevice(m_device, 1);
    m_paused = true;
}

std::optional<SoundOutput::TimePoint> SdlOutput::lostAt() const
{
    if (sdlAudio()->GetAudioDeviceStatus(m_device) != SDL_AUDIO_STOPPED)
        return std::nullopt;
    // Gone: heard up to the end of the last block handed over.
    const auto last = TimePoint(std::chrono::nanoseconds(m_lastCallbackNs.load(std::memory_order_relaxed)));
    return last + std::chrono::nanoseconds(std::int64_t(1e9 * m_bufferFrames / m_sampleRate));
}

void SdlOutput::callback(void* self, std::uint8_t* stream, int bytes)
{
    auto* output = static_cast<SdlOutput*>(self);
    const TimePoint now = std::chrono::steady_clock::now();
    output->m_lastCallbackNs.store(nanoseconds(now), std::memory_order_relaxed);
    const std::int64_t first = output->m_feed.handed();
    output->m_feed.pull(reinterpret_cast<float*>(stream), bytes / static_cast<int>(2 * sizeof(float)));
    output->m_feed.heard(now, double(first));
}

}  // namespace lyricue
