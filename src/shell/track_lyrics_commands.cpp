#include "shell/track_lyrics_commands.h"

#include "audio/track_container.h"
#include "audio/track_lyrics.h"
#include "base/shell_paths.h"

namespace lyricue {

namespace {

const QString NoTrack = QStringLiteral("曲が開かれていません");

// The tags writeTrackLyrics puts the lyrics in, for the message after it.
QString writtenTags(const QString& trackPath)
{
    switch (trackContainerOfFile(trackPath)) {
    case TrackContainer::Mpeg:
    case TrackContainer::Wave:
        return QStringLiteral("ID3v2 SYLT・USLT");
    case TrackContainer::Flac:
    case TrackContainer::Ogg:
        return QStringLiteral("Vorbis comment LYRICS");
    case TrackContainer::Mp4:
        return QStringLiteral("MP4 ©lyr");
    case TrackContainer::Rmp:
        break;
    }
    return QString();
}

}  // namespace

std::optional<EmbeddedLyrics> lyricsInTrack(const QString& trackPath)
{
    const ResultOf<TrackLyrics> found = readTrackLyrics(trackPath);
    if (!found.ok() || found->isEmpty())
        return std::nullopt;
    ResultOf<EmbeddedLyrics> content = embeddedLyricsContent(found.value(), trackPath);
    if (!content.ok())
        return std::nullopt;
    return std::move(content).value();
}

void loadEmbeddedLyrics(LyricsFiles& files, EmbeddedLyrics lyrics, const QString& trackPath,
                        const QString& pathBefore)
{
    files.document.setLyricsPath(pathBefore);
    lyrics.content.lyricsPath = ChangeExtension(trackPath, QStringLiteral(".txt"));
    replaceLyrics(files, std::move(lyrics.content), QStringLiteral("曲の歌詞の読込"));
}

void LoadTrackLyrics(LyricsFiles& files)
{
    const QString trackPath = files.document.trackPath();
    if (trackPath.isEmpty()) {
        files.prompts.showMessage(NoTrack);
        return;
    }
    const ResultOf<TrackLyrics> found = readTrackLyrics(trackPath);
    if (!found.ok()) {
        files.prompts.showMessage(found.errorString());
        return;
    }
    if (found->isEmpty()) {
        files.prompts.showMessage(
            QStringLiteral("[ %1 ] には歌詞が埋め込まれていません").arg(FileNameOfPath(trackPath)));
        return;
    }
    ResultOf<EmbeddedLyrics> content = embeddedLyricsContent(found.value(), trackPath);
    if (!content.ok()) {
        files.prompts.showMessage(content.errorString());
        return;
    }
    loadEmbeddedLyrics(files, std::move(content).value(), trackPath, files.document.LyricsPath());
}

void WriteTrackLyrics(LyricsFiles& files)
{
    const QString trackPath = files.document.trackPath();
    if (trackPath.isEmpty()) {
        files.prompts.showMessage(NoTrack);
        return;
    }
    const ResultOf<TrackLyrics> lyrics = trackLyricsOf(files.document);
    if (!lyrics.ok()) {
        files.prompts.showMessage(lyrics.errorString());
        return;
    }
    const Result written = writeTrackLyrics(trackPath, lyrics.value());
    files.prompts.showMessage(written.ok() ? QStringLiteral("[ %1 ] に歌詞を書き込みました (%2)")
                                                 .arg(FileNameOfPath(trackPath), writtenTags(trackPath))
                                           : written.errorString());
}

}  // namespace lyricue
