#include "shell/file_commands.h"

#include "audio/playable_files.h"
#include "shell/file_dialogs.h"
#include "shell/lrc_commands.h"
#include "shell/lyrics_loader.h"
#include "shell/lyrics_saver.h"
#include "shell/track_lyrics_commands.h"

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
    m_files.CommonDialog1.filterIndex = MusicFilter;
    m_files.SelectedPath = ShowOpenDialog(m_files.prompts, m_files.CommonDialog1);
    if (m_files.SelectedPath != ErrorCancel)
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
    m_files.SelectedPath = path;
    openTrackAndOfferLyrics();
}

void FileCommands::openTrackAndOfferLyrics()
{
    const QString& path = m_files.SelectedPath;
    m_files.document.setTrackPath(path);
    openTrack(path);
    // Also after "Open Error": the lyrics are offered all the same.
    lyricue::LoadLyrics(m_files);
}

void FileCommands::reopenTrack(const QString& path)
{
    m_files.SelectedPath = path;
    m_files.document.setTrackPath(path);
    openTrack(path);
}

void FileCommands::openTrack(const QString& path)
{
    if (const Result opened = OpenTrack(m_files.engine, path, m_track); !opened.ok()) {
        m_files.prompts.showMessage(QStringLiteral("Open Error"));
        if (!opened.errorString().isEmpty())
            m_files.prompts.showMessage(opened.errorString());
    }
    m_trackOpened(path);
}

void FileCommands::loadLyricsFile()
{
    // An empty path makes the loader skip its question and go to the open dialog.
    m_files.SelectedPath.clear();
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

void FileCommands::loadTrackLyrics()
{
    LoadTrackLyrics(m_files);
}

void FileCommands::writeTrackLyrics()
{
    WriteTrackLyrics(m_files);
}

}  // namespace lyricue
