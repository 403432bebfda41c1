#include "support/recording_engine.h"

#include "text/record_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace lyricue {

namespace {

const char* const EngineFunctions[] = {
    "vbmp3_init", "vbmp3_setVbmp3Option", "vbmp3_setDecodeOption", "vbmp3_getVolume",
    "vbmp3_setVolume", "vbmp3_close", "vbmp3_open", "vbmp3_getFileInfo2",
    "vbmp3_getState", "vbmp3_play", "vbmp3_pause", "vbmp3_restart",
    "vbmp3_stop", "vbmp3_seek", "vbmp3_getWinampPlayMs", "vbmp3_setLyricsFile",
    "vbmp3_getLyrics", "vbmp3_getVersion", "vbmp3_stopCallback", "vbmp3_free", "setPlaybackSpeed",
    "lyricsSungExtent",
};

// These answer with the engine's state, not with a result.
bool answersFromState(const std::string& name)
{
    return name == "vbmp3_getState" || name == "vbmp3_getWinampPlayMs" || name == "vbmp3_getVersion" ||
           name == "lyricsSungExtent";
}

}  // namespace

std::string EngineCall::text() const
{
    std::string arguments = path.toStdString();
    for (const std::int32_t number : numbers) {
        if (!arguments.empty())
            arguments += ", ";
        arguments += std::to_string(number);
    }
    return name + '(' + arguments + ')';
}

RecordingEngine::RecordingEngine() = default;

std::vector<std::string> RecordingEngine::calls() const
{
    std::vector<std::string> names;
    for (const EngineCall& call : m_log)
        names.push_back(call.name);
    return names;
}

std::vector<std::string> RecordingEngine::callTexts() const
{
    std::vector<std::string> texts;
    for (const EngineCall& call : m_log)
        texts.push_back(call.text());
    return texts;
}

std::vector<EngineCall> RecordingEngine::callsNamed(const std::string& name) const
{
    EXPECT_TRUE(knows(name)) << "no engine function " << name;
    std::vector<EngineCall> matching;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(matching),
                 [&](const EngineCall& call) { return call.name == name; });
    return matching;
}

int RecordingEngine::countOf(const std::string& name) const
{
    return static_cast<int>(callsNamed(name).size());
}

bool RecordingEngine::knows(const std::string& name) const
{
    return std::find(std::begin(EngineFunctions), std::end(EngineFunctions), name) != std::end(EngineFunctions);
}

void RecordingEngine::setResult(const std::string& name, std::int32_t result)
{
    if (!knows(name) || answersFromState(name)) {
        ADD_FAILURE() << "cannot script the result of " << name
                      << " (getState, getWinampPlayMs and getVersion have their own setters)";
        return;
    }
    m_results[name] = result;
}

void RecordingEngine::queueResult(const std::string& name, std::int32_t result)
{
    if (!knows(name) || answersFromState(name)) {
        ADD_FAILURE() << "cannot script the result of " << name;
        return;
    }
    m_queuedResults[name].push_back(result);
}

void RecordingEngine::setState(std::int32_t state, std::int32_t positionSeconds)
{
    m_state = state;
    m_position = positionSeconds;
}

void RecordingEngine::setPlayMs(std::int32_t ms)
{
    m_playMs = ms;
    m_playMsQueue.clear();
}

void RecordingEngine::setVolume(std::int32_t left, std::int32_t right)
{
    m_left = left;
    m_right = right;
}

void RecordingEngine::setTitleAndArtist(const QByteArray& title, const QByteArray& artist)
{
    record_text::store(m_tagRecord.title, title);
    record_text::store(m_tagRecord.artist, artist);
    record_text::store(m_textRecord.texts[0], title);
    record_text::store(m_textRecord.texts[1], artist);
}

void RecordingEngine::setLyricsLines(const std::array<QByteArray, 5>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        record_text::store(m_lyricsRecord.lines[i], lines[i]);
}

std::int32_t RecordingEngine::record(const char* name, std::vector<std::int32_t> numbers, const QString& path)
{
    m_log.push_back(EngineCall{name, std::move(numbers), path});
    std::deque<std::int32_t>& queued = m_queuedResults[name];
    if (!queued.empty()) {
        const std::int32_t result = queued.front();
        queued.pop_front();
        return result;
    }
    const auto found = m_results.find(name);
    return found == m_results.end() ? 1 : found->second;
}

std::int32_t RecordingEngine::vbmp3_init()
{
    return record("vbmp3_init");
}

std::int32_t RecordingEngine::vbmp3_setVbmp3Option(EngineOptionRecord& options)
{
    std::int32_t fields[4];
    std::memcpy(fields, &options, sizeof fields);
    return record("vbmp3_setVbmp3Option", {fields[0], fields[1], fields[2], fields[3]});
}

std::int32_t RecordingEngine::vbmp3_setDecodeOption(DecodeOptionRecord& options)
{
    std::int32_t fields[3];
    std::memcpy(fields, &options, sizeof fields);
    return record("vbmp3_setDecodeOption", {fields[0], fields[1], fields[2]});
}

std::int32_t RecordingEngine::vbmp3_getVolume(std::int32_t& left, std::int32_t& right)
{
    left = m_left;
    right = m_right;
    return record("vbmp3_getVolume");
}

std::int32_t RecordingEngine::vbmp3_setVolume(std::int32_t left, std::int32_t right)
{
    const std::int32_t result = record("vbmp3_setVolume", {left, right});
    if (result != 0)
        setVolume(left, right);
    return result;
}

std::int32_t RecordingEngine::vbmp3_close()
{
    const std::int32_t result = record("vbmp3_close");
    if (result != 0)
        setState(EngineStopped, 0);
    return result;
}

std::int32_t RecordingEngine::vbmp3_open(const QString& path, TrackOpenRecord& info)
{
    const std::int32_t result = record("vbmp3_open", {}, path);
    if (result != 0)
        info = m_openRecord;
    return result;
}

std::int32_t RecordingEngine::vbmp3_getFileInfo2(const QString& path, TrackTagRecord& tags,
                                                 TrackDetailRecord& detail, TrackTextRecord& texts)
{
    tags = m_tagRecord;
    detail = m_detailRecord;
    texts = m_textRecord;
    return record("vbmp3_getFileInfo2", {}, path);
}

std::int32_t RecordingEngine::vbmp3_getState(std::int32_t& positionSeconds)
{
    record("vbmp3_getState");
    positionSeconds = m_position;
    return m_state;
}

std::int32_t RecordingEngine::vbmp3_play()
{
    const std::int32_t result = record("vbmp3_play");
    if (result != 0)
        m_state = EnginePlaying;
    return result;
}

std::int32_t RecordingEngine::vbmp3_pause()
{
    const std::int32_t result = record("vbmp3_pause");
    if (result != 0)
        m_state = EnginePaused;
    return result;
}

std::int32_t RecordingEngine::vbmp3_restart()
{
    const std::int32_t result = record("vbmp3_restart");
    if (result != 0)
        m_state = EnginePlaying;
    return result;
}

std::int32_t RecordingEngine::vbmp3_stop()
{
    const std::int32_t result = record("vbmp3_stop");
    if (result != 0) {
        setState(EngineStopped, 0);
        setPlayMs(0);
    }
    return result;
}

std::int32_t RecordingEngine::vbmp3_seek(std::int32_t seconds)
{
    const std::int32_t result = record("vbmp3_seek", {seconds});
    if (result != 0) {
        m_position = seconds;
        setPlayMs(seconds * 1000);
    }
    return result;
}

std::int32_t RecordingEngine::vbmp3_getWinampPlayMs()
{
    record("vbmp3_getWinampPlayMs");
    if (!m_playMsQueue.empty()) {
        m_playMs = m_playMsQueue.front();
        m_playMsQueue.pop_front();
    }
    return m_playMs;
}

std::int32_t RecordingEngine::vbmp3_setLyricsFile(const QString& path)
{
    return record("vbmp3_setLyricsFile", {}, path);
}

std::int32_t RecordingEngine::vbmp3_getLyrics(LyricsLinesRecord& lines)
{
    lines = m_lyricsRecord;
    return record("vbmp3_getLyrics");
}

std::optional<double> RecordingEngine::lyricsSungExtent()
{
    record("lyricsSungExtent");
    return m_sungExtent;
}

std::int32_t RecordingEngine::vbmp3_getVersion()
{
    record("vbmp3_getVersion");
    return m_version;
}

std::int32_t RecordingEngine::vbmp3_stopCallback()
{
    return record("vbmp3_stopCallback");
}

std::int32_t RecordingEngine::vbmp3_free()
{
    return record("vbmp3_free");
}

std::int32_t RecordingEngine::setPlaybackSpeed(std::int32_t percent)
{
    return record("setPlaybackSpeed", {percent});
}

}  // namespace lyricue
