#include "lyricsfile/lyrics_loader.h"

#include "lyricsfile/file_dialogs.h"
#include "lyricsfile/lyrics_format.h"
#include "lyricsfile/sheet_filling.h"
#include "text/ansi_text.h"
#include "base/shell_paths.h"

#include <QFileInfo>

namespace lyricue {

namespace {

// Only a normal file counts: a folder, or a hidden file, is no lyrics file.
bool isNormalFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

// Asks for the lyrics file, or takes it from the open dialog. False when the load
// ends here; LyricsPath then holds what the road left in it: after a cancelled dialog,
// `pathBefore`, since the lines and so their file stay as they were.
bool chooseLyricsFile(LyricsFiles& files, const QString& pathBefore)
{
    ProgramState& state = files.state;
    if (state.SelectedPath.isEmpty()) {
        state.LoadAnswer = AnswerNo;
    } else {
        state.LyricsPath = ChangeExtension(state.SelectedPath, QStringLiteral(".txt"));
        state.LoadAnswer = files.prompts.askYesNoCancel(
            QStringLiteral("[ ") + FileNameOfPath(state.LyricsPath) + QStringLiteral(" ] をＬＯＡＤしますか？"));
    }

    switch (state.LoadAnswer) {
    case AnswerYes:
        if (!isNormalFile(state.LyricsPath)) {
            files.prompts.showMessage(QStringLiteral("同名の歌詞ファイルが存在しません"));
            return false;
        }
        break;
    case AnswerNo:
        files.CommonDialog1.filterIndex = 2;
        files.CommonDialog1.fileName.clear();
        ShowOpenDialog(files.prompts, files.CommonDialog1, state);
        state.LyricsPath = state.SelectedPath != ErrorCancel ? files.CommonDialog1.fileName : pathBefore;
        break;
    default:
        return false;
    }
    return state.SelectedPath != ErrorCancel;
}

// Reads the file LyricsPath names and fills the sheet with it; on failure puts
// LyricsPath back to pathBefore and changes nothing else.
void loadChosenLyrics(LyricsFiles& files, const QString& pathBefore)
{
    ProgramState& state = files.state;
    // The file is read and checked before anything changes: a load that cannot be
    // done keeps the sheet, its file and the engine's lyrics as they were.
    const ResultOf<QByteArray> bytes = readFileBytes(state.LyricsPath);
    ResultOf<LyricsContent> content =
        bytes.ok() ? lyricsContentOfBytes(bytes.value(), state.LyricsPath)
                   : ResultOf<LyricsContent>(Result::failure(bytes.errorString()));
    if (!content.ok()) {
        state.LyricsPath = pathBefore;
        files.prompts.showMessage(content.errorString());
        return;
    }
    files.engine.vbmp3_setLyricsFile(state.LyricsPath);

    LyricsContent loaded = std::move(content).value();
    const bool empty = loaded.lineCount == 0;
    loaded.sourcePath = state.LyricsPath;
    // The step starts from the path before the question, so undoing the load also
    // takes "再読込" back to the file the earlier lines came from.
    const QString loadedPath = state.LyricsPath;
    state.LyricsPath = pathBefore;
    replaceLyrics(files.document, state, std::move(loaded), loadedPath, QStringLiteral("歌詞の読込"), &files.engine);
    files.document.undoStack().setClean();  // the lines are as in their file
    if (empty)
        files.prompts.showMessage(QStringLiteral("File内容が存在しません"));
}

}  // namespace

void LoadLyrics(LyricsFiles& files)
{
    const QString pathBefore = files.state.LyricsPath;
    if (chooseLyricsFile(files, pathBefore))
        loadChosenLyrics(files, pathBefore);
}

void LoadLyricsFrom(LyricsFiles& files, const QString& path)
{
    ProgramState& state = files.state;
    const QString pathBefore = state.LyricsPath;
    // Where the open dialog of "歌詞読込" would have left things, had the user chosen the file there.
    state.LoadAnswer = AnswerNo;
    files.CommonDialog1.filterIndex = 2;
    files.CommonDialog1.fileName = path;
    state.SelectedPath = path;
    state.LyricsPath = path;
    loadChosenLyrics(files, pathBefore);
}

ResultOf<LyricsContent> lyricsContentOfBytes(QByteArrayView bytes, const QString& path)
{
    const DecodedText decoded = decodeDetected(bytes);
    QStringList lines = splitLines(decoded.text);
    if (const Result fits = checkLineCount(path, lines.size()); !fits.ok())
        return fits;
    QStringList tags;
    tags.reserve(lines.size());
    for (qsizetype line = 0; line < lines.size(); ++line) {
        // A line that only looks like a tag ("[Chorus]") is treated as any line
        // without one.
        const qsizetype tagLength = lyricTagLength(lines[line]);
        tags.append(tagLength > 0 ? lines[line].left(tagLength) : line == 0 ? StartTag : QString());
        lines[line].remove(0, tagLength);
    }
    LyricsContent content = lyricsContentOf(std::move(tags), std::move(lines));
    content.encoding = decoded.encoding;
    return content;
}

}  // namespace lyricue
