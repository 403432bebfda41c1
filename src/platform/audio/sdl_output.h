#pragma once

#include <cstdint>
#include <functional>

// The sound device: an SDL2 audio device whose callback pulls interleaved stereo float
// frames. Call it from one thread only, and never while holding a lock that the pull
// function takes: opening, pausing and closing wait for a running callback.
class SdlOutput {
public:
    using Pull = std::function<void(float* stereo, int frames)>;

    explicit SdlOutput(Pull pull);
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;
    ~SdlOutput();

    // Opens a paused device (starting SDL's audio subsystem the first time); false, with
    // SDL's reason on standard error, when there is no device to open.
    bool open(int sampleRate, int bufferFrames);
    void close();
    void setPaused(bool paused);
    // Closes the device and stops SDL's audio subsystem.
    void release();

    bool isOpen() const { return m_device != 0; }
    int sampleRate() const { return m_sampleRate; }
    int bufferFrames() const { return m_bufferFrames; }

private:
    static void callback(void* self, std::uint8_t* stream, int bytes);

    Pull m_pull;
    std::uint32_t m_device = 0;
    bool m_audioStarted = false;
    int m_sampleRate = 0;
    int m_bufferFrames = 0;
};
