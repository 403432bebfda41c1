#pragma once

// The commands of the toolbar that work on files. Each is run by the dispatch with
// the engine state already read and the busy rule already applied. They do nothing
// yet: the file-commands work (opening, loading, saving) fills them in.
class FileCommands {
public:
    void openMusicFile() {}      // "読込": open a music file, then offer its lyrics
    void loadLyricsFile() {}     // "歌詞読込": load a lyrics file
    void SaveLyrics() {}         // "歌詞保存": save the sheet through the save dialog
    void SaveAndLoadLyrics() {}  // "再読込": save and hand the file to the engine
};
