#pragma once

#include "audio/decoder.h"

#include <cstdint>
#include <vector>

namespace lyricue {

// The tap-along click, made on the fly: after a lead-in, `count` short clicks at a steady
// tempo, then one beat of silence for the last tap. Every click starts at a known frame.
class ClickTrack final : public Decoder {
public:
    static constexpr int kRate = 48000;

    // A slow beat (1.2 s) that a user can still tap along with: longer than the range of
    // delays measured, so that a tap late by a Bluetooth headset's half second cannot be taken
    // for an early answer to the next click. 16 clicks take 21 s.
    struct Beat {
        int count = 16;
        double beatsPerMinute = 50;
        double leadInMs = 1500;
    };

    explicit ClickTrack(Beat beat);
    ClickTrack() : ClickTrack(Beat{}) {}

    // Where each click starts, in milliseconds from the start.
    std::vector<double> clickTimesMs() const;
    double beatMs() const { return 60000.0 / m_beat.beatsPerMinute; }

    int sampleRate() const override { return kRate; }
    std::int64_t lengthFrames() const override { return m_length; }
    std::int64_t position() const override { return m_position; }
    Result seek(std::int64_t frame) override;
    int read(float* stereo, int frames) override;

private:
    float sampleAt(std::int64_t frame) const;
    std::int64_t clickFrame(int index) const;

    Beat m_beat;
    std::int64_t m_length;
    std::int64_t m_position = 0;
};

}  // namespace lyricue
