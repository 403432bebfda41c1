#pragma once

#include "audio/sound_output.h"
#include "base/result.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace lyricue {

// An SDL2 audio device whose callback pulls frames from the feed. SDL tells nothing of
// the latency behind the device, so the first frame of each block counts as heard when
// the callback hands it over: SDL gives the block to the device as it is (the format and
// buffer asked for are always the ones granted), and the dummy driver plays it then.
class SdlOutput final : public SoundOutput {
public:
    // A paused device (starting SDL's audio the first time); SDL's reason when no device
    // opens.
    static ResultOf<std::unique_ptr<SdlOutput>> open(int sampleRate, int bufferFrames, OutputFeed& feed);
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;
    ~SdlOutput() override;

    int sampleRate() const override { return m_sampleRate; }
    int bufferFrames() const override { return m_bufferFrames; }
    void resume() override;
    void suspend() override;
    std::optional<TimePoint> lostAt() const override;

private:
    explicit SdlOutput(OutputFeed& feed);
    static void callback(void* self, std::uint8_t* stream, int bytes);

    OutputFeed& m_feed;
    std::uint32_t m_device = 0;
    int m_sampleRate = 0;
    int m_bufferFrames = 0;
    bool m_paused = true;
    std::atomic<std::int64_t> m_lastCallbackNs{0};
};

}  // namespace lyricue
