#include "audio/speed_change.h"

#include "base/log.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace lyricue {

namespace {

// Source frames fed to the time stretcher at a time.
constexpr int kStretchChunk = 1024;

}  // namespace

double SpeedChange::begin(Decoder& source, double speed)
{
    const int sourceRate = source.sampleRate();
    m_speed = 1.0;
    if (speed > 0 && speed < 1) {
        if (!m_stretcher || m_stretcherRate != sourceRate) {
            ResultOf<std::unique_ptr<TimeStretcher>> made = makeTimeStretcher(sourceRate);
            if (made.ok()) {
                m_stretcher = std::move(made).value();
            } else {
                m_stretcher.reset();
                static std::once_flag noted;
                std::call_once(noted, [&] {
                    logWarning(QStringLiteral("cannot load the time-stretching module, so every speed plays at 100 %: %1")
                                   .arg(made.errorString()));
                });
            }
            m_stretcherRate = sourceRate;
        }
        if (m_stretcher) {
            m_stretcher->restart(speed);
            m_speed = speed;
        }
    }
    m_streamFrom = source.position();
    m_streamOut = 0;
    m_inputDone = false;
    return m_speed;
}

int SpeedChange::read(Decoder& source, float* stereo, int frames)
{
    if (!m_stretcher || m_speed >= 1.0) {
        const int got = source.read(stereo, frames);
        m_streamOut += got;
        return got;
    }
    while (!m_inputDone && m_stretcher->available() < frames) {
        m_input.resize(std::size_t(kStretchChunk) * 2);
        const int decoded = source.read(m_input.data(), kStretchChunk);
        m_inputDone = decoded < kStretchChunk;
        m_stretcher->put(m_input.data(), decoded, m_inputDone);
    }
    // The stretcher gives about the frames the source has left at this speed; none of
    // them past its last frame.
    const std::int64_t left = std::int64_t(std::ceil(double(source.lengthFrames() - m_streamFrom) / m_speed)) - m_streamOut;
    const int got = m_stretcher->get(stereo, int(std::min<std::int64_t>(frames, std::max<std::int64_t>(left, 0))));
    m_streamOut += got;
    return got;
}

}  // namespace lyricue
