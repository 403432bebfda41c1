#pragma once

#include "audio/audio_engine.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lyricue {

// One call made on a RecordingEngine, with the arguments that went in.
struct EngineCall {
    std::string name;
    std::vector<std::int32_t> numbers;  // integer arguments and option record fields
    QString path;                       // path argument, if the function takes one

    // "vbmp3_seek(12)", "vbmp3_open(/music/a.mp3)", "vbmp3_play()".
    std::string text() const;
};

// Engine test double: logs every call in order and answers from a script.
//
// Results: every function returns 1 unless set otherwise with setResult (a default
// for all later calls) or queueResult (used once, before the default). getState,
// getWinampPlayMs, getVersion and lyricsSungExtent answer from their own settings instead.
// The transport follows the engine's rules when its call succeeds (result not 0):
// play and restart make the state playing, pause paused, close stopped at 0, stop
// stopped at 0 with play time 0; seek sets the position and the play time to its
// start. Volume reads back what was last set (100 and 100 at first).
class RecordingEngine : public AudioEngine {
public:
    RecordingEngine();

    // --- the log ---
    const std::vector<EngineCall>& log() const { return m_log; }
    // Names of all calls in order.
    std::vector<std::string> calls() const;
    // Calls with their arguments as text, in order (see EngineCall::text).
    std::vector<std::string> callTexts() const;
    std::vector<EngineCall> callsNamed(const std::string& name) const;
    int countOf(const std::string& name) const;
    void clearLog() { m_log.clear(); }

    // --- the script ---
    void setResult(const std::string& name, std::int32_t result);
    void queueResult(const std::string& name, std::int32_t result);

    void setState(std::int32_t state, std::int32_t positionSeconds = 0);
    std::int32_t state() const { return m_state; }
    std::int32_t positionSeconds() const { return m_position; }

    // getWinampPlayMs returns queued values one by one, then keeps the last one.
    void setPlayMs(std::int32_t ms);
    void queuePlayMs(std::int32_t ms) { m_playMsQueue.push_back(ms); }

    void setVolume(std::int32_t left, std::int32_t right);
    std::int32_t leftVolume() const { return m_left; }
    std::int32_t rightVolume() const { return m_right; }

    void setVersion(std::int32_t version) { m_version = version; }

    // Records handed out by a successful open, by getFileInfo2 and by getLyrics.
    TrackOpenRecord& openRecord() { return m_openRecord; }
    TrackTagRecord& tagRecord() { return m_tagRecord; }
    TrackDetailRecord& detailRecord() { return m_detailRecord; }
    TrackTextRecord& textRecord() { return m_textRecord; }
    LyricsLinesRecord& lyricsRecord() { return m_lyricsRecord; }
    void setTrackLengthSeconds(std::int32_t seconds) { m_openRecord.lengthSeconds = seconds; }
    // Title and artist as CP932 bytes, in both the tag and the RIFF text record.
    void setTitleAndArtist(const QByteArray& title, const QByteArray& artist);
    // Lines 1 to 5 of the lyrics record, as CP932 bytes.
    void setLyricsLines(const std::array<QByteArray, 5>& lines);
    // What lyricsSungExtent answers (none at first).
    void setSungExtent(std::optional<double> characters) { m_sungExtent = characters; }

    // --- AudioEngine ---
    std::int32_t vbmp3_init() override;
    std::int32_t vbmp3_setVbmp3Option(EngineOptionRecord& options) override;
    std::int32_t vbmp3_setDecodeOption(DecodeOptionRecord& options) override;
    std::int32_t vbmp3_getVolume(std::int32_t& left, std::int32_t& right) override;
    std::int32_t vbmp3_setVolume(std::int32_t left, std::int32_t right) override;
    std::int32_t vbmp3_close() override;
    std::int32_t vbmp3_open(const QString& path, TrackOpenRecord& info) override;
    std::int32_t vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags, TrackDetailRecord& detail,
                                    TrackTextRecord& texts) override;
    std::int32_t vbmp3_getState(std::int32_t& positionSeconds) override;
    std::int32_t vbmp3_play() override;
    std::int32_t vbmp3_pause() override;
    std::int32_t vbmp3_restart() override;
    std::int32_t vbmp3_stop() override;
    std::int32_t vbmp3_seek(std::int32_t seconds) override;
    std::int32_t vbmp3_getWinampPlayMs() override;
    std::int32_t vbmp3_setLyricsFile(const QString& path) override;
    std::int32_t vbmp3_getLyrics(LyricsLinesRecord& lines) override;
    std::optional<double> lyricsSungExtent() override;
    std::int32_t vbmp3_getVersion() override;
    std::int32_t vbmp3_stopCallback() override;
    std::int32_t vbmp3_free() override;
    std::int32_t setPlaybackSpeed(std::int32_t percent) override;

private:
    // Logs the call and returns its scripted result.
    std::int32_t record(const char* name, std::vector<std::int32_t> numbers = {}, const QString& path = {});
    bool knows(const std::string& name) const;

    std::vector<EngineCall> m_log;
    std::map<std::string, std::int32_t> m_results;
    std::map<std::string, std::deque<std::int32_t>> m_queuedResults;
    std::int32_t m_state = EngineStopped;
    std::int32_t m_position = 0;
    std::int32_t m_playMs = 0;
    std::deque<std::int32_t> m_playMsQueue;
    std::int32_t m_left = 100;
    std::int32_t m_right = 100;
    std::int32_t m_version = 100;
    TrackOpenRecord m_openRecord{};
    TrackTagRecord m_tagRecord{};
    TrackDetailRecord m_detailRecord{};
    TrackTextRecord m_textRecord{};
    LyricsLinesRecord m_lyricsRecord{};
    std::optional<double> m_sungExtent;
};

}  // namespace lyricue
