#pragma once

#include "audio/decoder.h"
#include "audio/transport.h"
#include "base/result.h"

#include <QString>

#include <memory>
#include <optional>

namespace lyricue {

// The calibration's cue in the track's place: sets the open track aside as it stands,
// plays the cue through the same transport at its own speed, and tells where the track
// is to come back. Called under the engine's lock, as the transport is.
class CueSession {
public:
    // The track a cue plays in place of, and how it stood.
    struct SetAside {
        QString path;
        EngineState state;
        std::int64_t frame;
    };

    using TimePoint = Transport::TimePoint;

    // What a cue started at `time` sets aside: the track set aside already while a cue
    // plays, else `openTrack` (if any) paused or stopped where the transport stands.
    std::optional<SetAside> trackToSetAside(Transport& transport, const QString& openTrack, TimePoint time) const;
    // Plays `sound` from its start in the emptied transport, with `track` to come back.
    // Fails, with the track still set aside, when `sound` cannot be played.
    Result begin(std::optional<SetAside> track, std::unique_ptr<Decoder> sound, Transport& transport);
    // Milliseconds heard of the cue; nothing once it has played to its end or was ended.
    std::optional<double> heardMs(Transport& transport, TimePoint time) const;
    // Whether a cue plays or a track waits to come back.
    bool isActive() const { return m_open || m_setAside.has_value(); }
    // The track to come back, forgotten here.
    std::optional<SetAside> takeSetAside();
    // Puts the track that came back where it stood.
    static void bringBack(Transport& transport, const SetAside& track);
    // Forgets the cue and the track set aside (the transport was emptied).
    void reset();

private:
    std::optional<SetAside> m_setAside;
    bool m_open = false;
};

}  // namespace lyricue
