#pragma once

#include "base/result.h"

#include <QString>

#include <array>

namespace lyricue {

class AudioEngine;

// The playing speed the user chose (50 to 100 %, the pitch kept): sent to the engine,
// kept in the settings between runs, and shown after the window caption.
class PlaybackSpeed {
public:
    static constexpr std::array<int, 6> kPercents = {50, 60, 70, 80, 90, 100};

    explicit PlaybackSpeed(AudioEngine& engine);

    int percent() const { return m_percent; }
    // Sends the kept speed to the engine at start-up; nothing for 100 %, the engine's own.
    void restore();
    // One of kPercents; a failure, with nothing changed, for any other value or when the
    // engine refuses it.
    Result choose(int percent);
    // The next step down or up, staying at the ends.
    Result slower();
    Result faster();

    // `caption` with what follows it for this speed ("  [速度 80%]"; nothing at 100 %),
    // in place of any such ending it already has.
    QString captionWithSpeed(const QString& caption) const;

private:
    AudioEngine& m_engine;
    int m_percent = 100;
};

}  // namespace lyricue
