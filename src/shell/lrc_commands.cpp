#include "shell/lrc_commands.h"

#include "audio/audio_engine.h"
#include "base/shell_paths.h"
#include "lyricsfile/lrc_file.h"
#include "lyricsfile/lrc_format.h"
#include "text/byte_escape.h"
#include "text/record_text.h"

namespace lyricue {

const QString LrcDialogFilter = QStringLiteral("LRC File(*.lrc)|*.lrc|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*");

namespace {

// A record's text field decoded as the caption reads it (UTF-8 or CP932); empty when it
// holds a byte that is no text, which has no place in a UTF-8 header.
template <std::size_t N>
QString headerText(const char (&field)[N])
{
    const QString text = record_text::fileText(field);
    return byte_escape::firstIn(text) < 0 ? text : QString();
}

// The headers the engine's report on the track gives; none when it knows no track.
QStringList trackHeaders(AudioEngine& engine, const QString& trackPath)
{
    if (trackPath.isEmpty())
        return {};
    TrackTagRecord tags{};
    TrackDetailRecord detail{};
    TrackTextRecord texts{};
    if (engine.vbmp3_getFileInfo2(trackPath, tags, detail, texts) == 0)
        return {};
    // ID3 tags, else the RIFF texts of an RMP file (title, artist, product).
    const auto either = [](const QString& tag, const QString& riff) { return tag.isEmpty() ? riff : tag; };
    return lrcTrackHeaders(either(headerText(tags.title), headerText(texts.texts[0])),
                           either(headerText(tags.artist), headerText(texts.texts[1])),
                           either(headerText(tags.album), headerText(texts.texts[2])), detail.lengthMs);
}

}  // namespace

void ImportLrc(LyricsFiles& files, FileDialogSettings& dialog)
{
    dialog.cancelError = true;
    dialog.flags = FileDialogSettings::FileMustExist;
    dialog.filter = LrcDialogFilter;
    dialog.filterIndex = 1;
    dialog.fileName.clear();
    if (!files.prompts.showOpenDialog(dialog))
        return;
    const QString lrcPath = dialog.fileName;
    ResultOf<LyricsContent> imported = readLrcFile(lrcPath);
    if (!imported.ok()) {
        files.prompts.showMessage(imported.errorString());
        return;
    }
    imported->lyricsPath = ChangeExtension(lrcPath, QStringLiteral(".txt"));
    replaceLyrics(files, std::move(imported).value(), QStringLiteral("LRC 読込"));
    files.SelectedPath = lrcPath;
}

void ExportLrc(LyricsFiles& files, FileDialogSettings& dialog)
{
    const LyricsDocument& document = files.document;
    const QString& nameFrom = document.trackPath().isEmpty() ? document.LyricsPath() : document.trackPath();
    dialog.cancelError = true;
    dialog.flags = FileDialogSettings::OverwritePrompt;
    dialog.filter = LrcDialogFilter;
    dialog.filterIndex = 1;
    dialog.fileName = nameFrom.isEmpty() ? QString() : ChangeExtension(nameFrom, QStringLiteral(".lrc"));
    if (!files.prompts.showSaveDialog(dialog))
        return;
    const QStringList headers =
        document.lrcHeaders().isEmpty() ? trackHeaders(files.engine, document.trackPath()) : document.lrcHeaders();
    const Result written = WriteLrcFile(dialog.fileName, headers, document);
    files.prompts.showMessage(written.ok() ? dialog.fileName + QStringLiteral("を書き出しました")
                                           : written.errorString());
}

}  // namespace lyricue
