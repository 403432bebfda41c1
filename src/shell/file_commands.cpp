#include "shell/file_commands.h"

#include "audio/playable_files.h"
#include "lyricsfile/file_dialogs.h"
#include "lyricsfile/lrc_files.h"
#include "lyricsfile/lyrics_loader.h"
#include "lyricsfile/lyrics_saver.h"

#include <utility>

namespace lyricue {

namespace {

constexpr int MusicFilter = 1;  // "MP File(*.mp3,*.rmp)"

}  // namespace

FileCommands::FileCommands(LyricsFiles files, TrackControls track, std::function<void(const QString&)> trackOpened)
    : m_files(std::move(files)), m_track(std::move(track)), m_trackOpened(std::move(trackOpened))
{
}

void FileCommands::openMusicFile()
{
    ProgramState& state = m_files.state;
    m_files.CommonDialog1.filterIndex = MusicFilter;
    ShowOpenDialog(m_files.prompts, m_files.CommonDialog1, state);
    if (state.SelectedPath != ErrorCancel)
        openTrackAndOfferLyrics();
}

void FileCommands::openGivenFile(const QString& path)
{
    if (!isPlayableFileName(path)) {
        LoadLyricsFrom(m_files, path);
        return;
    }
    // Where the open dialog of "読込" would have left things, had the user chosen the file there.
    m_files.CommonDialog1.filterIndex = MusicFilter;
    m_files.CommonDialog1.fileName = path;
    m_files.state.SelectedPath = path;
    openTrackAndOfferLyrics();
}

void FileCommands::openTrackAndOfferLyrics()
{
    ProgramState& state = m_files.state;
    state.TrackPath = state.SelectedPath;
    OpenTrack(m_files.engine, m_files.prompts, state.SelectedPath, m_track);
    m_trackOpened(state.SelectedPath);
    // Also after "Open Error": the lyrics are offered all the same.
    lyricue::LoadLyrics(m_files);
}

void FileCommands::reopenTrack(const QString& path)
{
    m_files.state.SelectedPath = path;
    m_files.state.TrackPath = path;
    OpenTrack(m_files.engine, m_files.prompts, path, m_track);
    m_trackOpened(path);
}

void FileCommands::loadLyricsFile()
{
    // An empty path makes the loader skip its question and go to the open dialog.
    m_files.state.SelectedPath.clear();
    lyricue::LoadLyrics(m_files);
}

void FileCommands::SaveLyrics()
{
    lyricue::SaveLyrics(m_files);
}

void FileCommands::SaveAndLoadLyrics()
{
    lyricue::SaveAndLoadLyrics(m_files);
}

void FileCommands::importLrc()
{
    ImportLrc(m_files, m_lrcDialog);
}

void FileCommands::exportLrc()
{
    ExportLrc(m_files, m_lrcDialog);
}

}  // namespace lyricue
