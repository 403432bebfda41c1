#pragma once

#include "shell/lyrics_files.h"
#include "playback/track_opener.h"

#include <functional>

namespace lyricue {

// The toolbar commands that work on files. Each is run by the dispatch with the
// engine state already read and the busy rule already applied.
class FileCommands {
public:
    // `trackOpened` is told of each music file "読込" hands to the engine.
    FileCommands(LyricsFiles files, TrackControls track, std::function<void(const QString&)> trackOpened);

    void openMusicFile();        // "読込": open a music file, then offer its lyrics
    // A file given on the command line or dropped on the window: a track as "読込"
    // opens the one chosen in its dialog, any other file as "歌詞読込" loads it.
    void openGivenFile(const QString& path);
    // A track opened again as "読込" opens it, without offering its lyrics.
    void reopenTrack(const QString& path);
    void loadLyricsFile();       // "歌詞読込": load a lyrics file
    void SaveLyrics();           // "歌詞保存": save the sheet through the save dialog
    void SaveAndLoadLyrics();    // "再読込": save and hand the file to the engine
    void importLrc();            // "LRC 読込": an LRC file into the sheet
    void exportLrc();            // "LRC 書出し": the sheet to an LRC file
    void loadTrackLyrics();      // "曲の歌詞を読込": the lyrics in the track's tags into the sheet
    void writeTrackLyrics();     // "曲に歌詞を書込": the sheet into the track's tags

    // The path last chosen in an open dialog, or ErrorCancel; empty before any.
    const QString& SelectedPath() const { return m_files.SelectedPath; }
    void setSelectedPath(const QString& path) { m_files.SelectedPath = path; }

private:
    void openTrackAndOfferLyrics();
    // The track opened in the engine and the window; a refusal says "Open Error" and why.
    void openTrack(const QString& path);
    LyricsFiles m_files;
    TrackControls m_track;
    std::function<void(const QString&)> m_trackOpened;
    FileDialogSettings m_lrcDialog;  // the LRC dialogs' own, so the lyrics dialogs keep their settings
};

}  // namespace lyricue
