#pragma once

#include "audio/audio_engine.h"

namespace lyricue {

// An engine that does nothing and answers 0, so that a measurement holds the
// program's own work only. It keeps the last lyrics file it was handed.
class QuietEngine final : public AudioEngine {
public:
    QString lyricsFile;

    std::int32_t vbmp3_init() override { return 0; }
    std::int32_t vbmp3_setVbmp3Option(EngineOptionRecord&) override { return 0; }
    std::int32_t vbmp3_setDecodeOption(DecodeOptionRecord&) override { return 0; }
    std::int32_t vbmp3_getVolume(std::int32_t&, std::int32_t&) override { return 0; }
    std::int32_t vbmp3_setVolume(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t vbmp3_close() override { return 0; }
    std::int32_t vbmp3_open(const QString&, TrackOpenRecord&) override { return 0; }
    std::int32_t vbmp3_getFileInfo2(const QString&, TrackTagRecord&, TrackDetailRecord&, TrackTextRecord&) override
    {
        return 0;
    }
    std::int32_t vbmp3_getState(std::int32_t&) override { return 0; }
    std::int32_t vbmp3_play() override { return 0; }
    std::int32_t vbmp3_pause() override { return 0; }
    std::int32_t vbmp3_restart() override { return 0; }
    std::int32_t vbmp3_stop() override { return 0; }
    std::int32_t vbmp3_seek(std::int32_t) override { return 0; }
    std::int32_t vbmp3_getWinampPlayMs() override { return 0; }
    std::int32_t vbmp3_setLyricsFile(const QString& path) override
    {
        lyricsFile = path;
        return 1;
    }
    std::int32_t vbmp3_getLyrics(LyricsLinesRecord&) override { return 0; }
    std::optional<double> lyricsSungExtent() override { return std::nullopt; }
    std::int32_t vbmp3_getVersion() override { return 0; }
    std::int32_t vbmp3_stopCallback() override { return 0; }
    std::int32_t vbmp3_free() override { return 0; }
};

}  // namespace lyricue
