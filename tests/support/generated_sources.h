#pragma once

#include "audio/decoder.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// A full-scale sine, the same on both channels.
class ToneSource final : public Decoder {
public:
    ToneSource(int sampleRate, double frequency, double seconds, float amplitude = 1.0f);
    int sampleRate() const override { return m_rate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    bool seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;
    // The sample of frame `frame`.
    float sampleAt(std::int64_t frame) const;

private:
    int m_rate;
    double m_frequency;
    std::int64_t m_length;
    float m_amplitude;
    std::int64_t m_position = 0;
};

// Silence with single-sample clicks of 0.8 at known frames.
class ClickSource final : public Decoder {
public:
    ClickSource(int sampleRate, double seconds, std::int64_t firstClick, std::int64_t every);
    int sampleRate() const override { return m_rate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    bool seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;
    bool isClick(std::int64_t frame) const;

private:
    int m_rate;
    std::int64_t m_length;
    std::int64_t m_firstClick;
    std::int64_t m_every;
    std::int64_t m_position = 0;
};

// Another source that stops for a while on its `stallAt`-th read, as a cold disk or a
// network folder would.
class StallingSource final : public Decoder {
public:
    StallingSource(std::unique_ptr<Decoder> source, int stallAt, std::chrono::milliseconds stall);
    int sampleRate() const override { return m_source->sampleRate(); }
    std::int64_t lengthFrames() const override { return m_source->lengthFrames(); }
    std::int64_t position() const override { return m_source->position(); }
    bool seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;

private:
    std::unique_ptr<Decoder> m_source;
    int m_stallAt;
    std::chrono::milliseconds m_stall;
    int m_reads = 0;
};
