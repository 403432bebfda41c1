#include "shell/lyrics_loader.h"

#include "base/shell_paths.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/file_dialogs.h"
#include "shell/track_lyrics_commands.h"

#include <QFileInfo>

namespace lyricue {

namespace {

// Only a normal file counts: a folder, or a hidden file, is no lyrics file.
bool isNormalFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

// Asks for the lyrics file, or takes it from the open dialog: the chosen file, or
// nothing when the load ends here.
// LyricsPath names the same-named file from the question on (after a Cancel, or a Yes
// to a file that is not there, "歌詞保存" proposes it); a cancelled open dialog puts back
// `pathBefore`, since the lines and so their file stay as they were.
std::optional<QString> chooseLyricsFile(LyricsFiles& files, const QString& pathBefore)
{
    LyricsDocument& document = files.document;
    int answer = AnswerNo;
    if (!files.SelectedPath.isEmpty()) {
        document.setLyricsPath(ChangeExtension(files.SelectedPath, QStringLiteral(".txt")));
        // Without a lyrics file beside it, the lyrics the track carries are offered instead.
        std::optional<EmbeddedLyrics> embedded;
        if (!isNormalFile(document.LyricsPath()))
            embedded = lyricsInTrack(files.SelectedPath);
        if (embedded) {
            answer = files.prompts.askYesNoCancel(QStringLiteral("[ %1 ] に埋め込まれた歌詞 (%2) をＬＯＡＤしますか？")
                                                      .arg(FileNameOfPath(files.SelectedPath), embedded->source));
            if (answer == AnswerYes) {
                loadEmbeddedLyrics(files, std::move(*embedded), files.SelectedPath, pathBefore);
                return std::nullopt;
            }
        } else {
            answer = files.prompts.askYesNoCancel(QStringLiteral("[ ") + FileNameOfPath(document.LyricsPath())
                                                  + QStringLiteral(" ] をＬＯＡＤしますか？"));
        }
    }
    switch (answer) {
    case AnswerYes:
        if (!isNormalFile(document.LyricsPath())) {
            files.prompts.showMessage(QStringLiteral("同名の歌詞ファイルが存在しません"));
            return std::nullopt;
        }
        return document.LyricsPath();
    case AnswerNo:
        files.CommonDialog1.filterIndex = 2;
        files.CommonDialog1.fileName.clear();
        files.SelectedPath = ShowOpenDialog(files.prompts, files.CommonDialog1);
        if (files.SelectedPath == ErrorCancel) {
            document.setLyricsPath(pathBefore);
            return std::nullopt;
        }
        return files.CommonDialog1.fileName;
    default:
        return std::nullopt;
    }
}

// Reads `path` and fills the sheet with it; a file that cannot be loaded is reported
// and changes nothing.
void loadChosenLyrics(LyricsFiles& files, const QString& path, const QString& pathBefore)
{
    // The file is read and checked before anything changes: a load that cannot be
    // done keeps the sheet, its file and the engine's lyrics as they were. The step
    // starts from the path before the question, so undoing the load also takes
    // "再読込" back to the file the earlier lines came from.
    files.document.setLyricsPath(pathBefore);
    ResultOf<LyricsContent> content = readLyricsFile(path);
    if (!content.ok()) {
        files.prompts.showMessage(content.errorString());
        return;
    }
    files.engine.vbmp3_setLyricsFile(path);
    const bool empty = content->lineCount == 0;
    replaceLyrics(files.document, std::move(content).value(), QStringLiteral("歌詞の読込"), &files.engine);
    files.document.undoStack().setClean();  // the lines are as in their file
    if (empty)
        files.prompts.showMessage(QStringLiteral("File内容が存在しません"));
}

}  // namespace

void LoadLyrics(LyricsFiles& files)
{
    const QString pathBefore = files.document.LyricsPath();
    if (const std::optional<QString> path = chooseLyricsFile(files, pathBefore))
        loadChosenLyrics(files, *path, pathBefore);
}

void LoadLyricsFrom(LyricsFiles& files, const QString& path)
{
    // Where the open dialog of "歌詞読込" would have left things, had the user chosen the file there.
    files.CommonDialog1.filterIndex = 2;
    files.CommonDialog1.fileName = path;
    files.SelectedPath = path;
    loadChosenLyrics(files, path, files.document.LyricsPath());
}

}  // namespace lyricue
