#include "audio/cue_session.h"

namespace lyricue {

std::optional<CueSession::SetAside> CueSession::trackToSetAside(Transport& transport, const QString& openTrack,
                                                                TimePoint time) const
{
    if (m_open || openTrack.isEmpty())
        return m_setAside;
    return SetAside{openTrack, transport.state() == EngineStopped ? EngineStopped : EnginePaused,
                    transport.position(time)};
}

Result CueSession::begin(std::optional<SetAside> track, std::unique_ptr<Decoder> sound, Transport& transport)
{
    m_setAside = std::move(track);
    if (!sound || sound->sampleRate() <= 0)
        return Result::failure(QStringLiteral("合図の音を鳴らせません。"));
    m_open = true;
    transport.load(std::move(sound), Transport::Pace::Own);
    return {};
}

std::optional<double> CueSession::heardMs(Transport& transport, TimePoint time) const
{
    if (!m_open || transport.state() != EnginePlaying)
        return std::nullopt;
    return double(transport.position(time)) * 1000.0 / transport.sourceRate();
}

std::optional<CueSession::SetAside> CueSession::takeSetAside()
{
    std::optional<SetAside> track = std::move(m_setAside);
    reset();
    return track;
}

void CueSession::bringBack(Transport& transport, const SetAside& track)
{
    if (track.state == EnginePaused)
        transport.pauseAt(track.frame);
    else if (track.frame > 0)
        transport.startAt(track.frame, false);
}

void CueSession::reset()
{
    m_setAside.reset();
    m_open = false;
}

}  // namespace lyricue
