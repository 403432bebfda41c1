#include "audio/time_stretcher.h"
#include "audio/stretch/stretch_module_entry.h"

#include <QtGlobal>

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace lyricue {

namespace {

using RubberBand::RubberBandStretcher;

// Rubber Band's real-time stretcher (its R2 engine, which keeps onsets within about a
// millisecond of their place at 50 %): started with the silence it asks for, and its
// start delay dropped from the output, so that output frame k is source frame k × speed.
class RubberBandTimeStretcher final : public TimeStretcher {
public:
    explicit RubberBandTimeStretcher(int sampleRate)
        : m_stretcher(std::size_t(sampleRate), 2,
                      RubberBandStretcher::OptionProcessRealTime | RubberBandStretcher::OptionEngineFaster)
    {
    }

    void restart(double speed) override
    {
        m_stretcher.reset();
        m_stretcher.setTimeRatio(1.0 / speed);
        const int pad = int(m_stretcher.getPreferredStartPad());
        std::vector<float> silence(std::size_t(std::max(pad, 1)), 0.0f);
        const float* channels[2] = {silence.data(), silence.data()};
        if (pad > 0)
            m_stretcher.process(channels, std::size_t(pad), false);
        m_toDrop = int(m_stretcher.getStartDelay());
        dropDelay();
    }

    void put(const float* stereo, int frames, bool last) override
    {
        m_left.resize(std::size_t(frames));
        m_right.resize(std::size_t(frames));
        for (int i = 0; i < frames; ++i) {
            m_left[std::size_t(i)] = stereo[std::size_t(i) * 2];
            m_right[std::size_t(i)] = stereo[std::size_t(i) * 2 + 1];
        }
        const float* channels[2] = {m_left.data(), m_right.data()};
        m_stretcher.process(channels, std::size_t(frames), last);
        dropDelay();
    }

    int available() const override { return std::max(0, m_stretcher.available()); }

    int get(float* stereo, int frames) override
    {
        const int got = retrieve(std::min(frames, available()));
        for (int i = 0; i < got; ++i) {
            stereo[std::size_t(i) * 2] = m_left[std::size_t(i)];
            stereo[std::size_t(i) * 2 + 1] = m_right[std::size_t(i)];
        }
        return got;
    }

private:
    int retrieve(int frames)
    {
        if (frames <= 0)
            return 0;
        m_left.resize(std::size_t(frames));
        m_right.resize(std::size_t(frames));
        float* channels[2] = {m_left.data(), m_right.data()};
        return int(m_stretcher.retrieve(channels, std::size_t(frames)));
    }

    void dropDelay()
    {
        while (m_toDrop > 0) {
            const int got = retrieve(std::min(m_toDrop, available()));
            if (got <= 0)
                return;
            m_toDrop -= got;
        }
    }

    RubberBandStretcher m_stretcher;
    int m_toDrop = 0;
    std::vector<float> m_left;
    std::vector<float> m_right;
};

}  // namespace

extern "C" Q_DECL_EXPORT TimeStretcher* lyricue_new_time_stretcher(int sampleRate)
{
    static_assert(std::is_same_v<decltype(&lyricue_new_time_stretcher), StretchModuleEntry>);
    return new RubberBandTimeStretcher(sampleRate);
}

}  // namespace lyricue
