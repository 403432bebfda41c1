#pragma once

#include "audio/decoder.h"

#include <chrono>
#include <cstdint>
#include <memory>

namespace lyricue {

// Sound the tests make themselves: the same sample on both channels, frame by frame.
class GeneratedSource : public Decoder {
public:
    GeneratedSource(int sampleRate, double seconds);
    int sampleRate() const override { return m_rate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    Result seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;
    virtual float sampleAt(std::int64_t frame) const = 0;

private:
    int m_rate;
    std::int64_t m_length;
    std::int64_t m_position = 0;
};

// A sine, full scale unless asked otherwise.
class ToneSource final : public GeneratedSource {
public:
    ToneSource(int sampleRate, double frequency, double seconds, float amplitude = 1.0f);
    float sampleAt(std::int64_t frame) const override;

private:
    double m_step;  // radians per frame
    float m_amplitude;
};

// Silence with single-sample clicks of 0.8 at known frames.
class ClickSource final : public GeneratedSource {
public:
    ClickSource(int sampleRate, double seconds, std::int64_t firstClick, std::int64_t every);
    float sampleAt(std::int64_t frame) const override;

private:
    std::int64_t m_firstClick;
    std::int64_t m_every;
};

// Silence with bursts of a 1 kHz tone, 10 ms long and 0.8 at their loudest, that start
// at known frames: onsets, as a drum or a sung syllable has, whose place a listener hears.
class BurstSource final : public GeneratedSource {
public:
    BurstSource(int sampleRate, double seconds, std::int64_t firstBurst, std::int64_t every);
    float sampleAt(std::int64_t frame) const override;

private:
    std::int64_t m_firstBurst;
    std::int64_t m_every;
    int m_rate;
};

// Another source that stops for a while on its `stallAt`-th read, as a cold disk or a
// network folder would.
class StallingSource final : public Decoder {
public:
    StallingSource(std::unique_ptr<Decoder> source, int stallAt, std::chrono::milliseconds stall);
    int sampleRate() const override { return m_source->sampleRate(); }
    std::int64_t lengthFrames() const override { return m_source->lengthFrames(); }
    std::int64_t position() const override { return m_source->position(); }
    Result seek(std::int64_t frame) override { return m_source->seek(frame); }
    int read(float* stereo, int frames) override;

private:
    std::unique_ptr<Decoder> m_source;
    int m_stallAt;
    std::chrono::milliseconds m_stall;
    int m_reads = 0;
};

}  // namespace lyricue
