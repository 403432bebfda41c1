#pragma once

#include "audio/decoder.h"
#include "base/result.h"

#include <memory>
#include <optional>

namespace lyricue {

// Plays a sound of the program's own (the tap-along click) through the same output,
// ring and play clock as music, so that the output's latency is in what the user hears.
class CuePlayer {
public:
    virtual ~CuePlayer() = default;

    // Sets the open track aside (paused or stopped where it stands) and plays `sound`
    // from its start; or why it cannot be played (no sound output).
    virtual Result startCue(std::unique_ptr<Decoder> sound) = 0;
    // The position being heard in the sound, in milliseconds from its start; nothing
    // once it has played to its end or was ended.
    virtual std::optional<double> cueHeardMs() = 0;
    // Ends the sound and brings back the track set aside, as it stood.
    virtual void endCue() = 0;
};

}  // namespace lyricue
