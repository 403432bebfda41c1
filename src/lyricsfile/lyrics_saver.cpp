#include "lyricsfile/lyrics_saver.h"

#include "lyricsfile/file_dialogs.h"
#include "lyricsfile/lyrics_format.h"
#include "text/ansi_text.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace lyricue {

namespace {

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && QFileInfo(a) == QFileInfo(b);
}

// True when the save may replace `path`: a file that does not exist, or one that
// holds this sheet (it was loaded from it or last saved to it). Any other existing
// file holds some other lyrics, so the user is asked first.
bool mayReplace(LyricsFiles& files, const QString& path)
{
    const LyricsDocument& document = files.document;
    if (!QFileInfo(path).isFile() || samePath(path, document.sourcePath()) || samePath(path, document.savedPath()))
        return true;
    return files.prompts.askYesNo(QStringLiteral("「%1」は読み込んだ歌詞のファイルではありません。上書きしますか？")
                                      .arg(QDir::toNativeSeparators(path)))
           == AnswerYes;
}

// The lines a save writes: 0 to LineCount - 1, as far as the document holds rows.
int savedLineCount(const LyricsDocument& document)
{
    return std::max(std::min<int>(document.lineCount(), document.lineRows()), 0);
}

// Each line joined and encoded straight into the file's bytes; no list of all lines.
TextLineSource savedLines(const LyricsDocument& document)
{
    return [&document](qsizetype line, QString& scratch) {
        const LyricLine& cells = document.line(static_cast<int>(line));
        joinLyricTag(cells.tag, cells.text, scratch);
        return QStringView(scratch);
    };
}

}  // namespace

Result WriteLyricsFile(const LyricsDocument& document, const QString& path)
{
    return writeTextLines(path, savedLineCount(document), savedLines(document), document.encoding());
}

ResultOf<QByteArray> lyricsFileBytes(const LyricsDocument& document)
{
    return encodeTextLines(savedLineCount(document), savedLines(document), document.encoding());
}

void SaveLyrics(LyricsFiles& files)
{
    ProgramState& state = files.state;
    // The dialog itself asks before it replaces an existing file.
    if (!ShowSaveDialog(files.prompts, files.CommonDialog1, state))
        return;
    // A save that fails keeps the file the sheet came from, so a later "再読込"
    // does not write to a place the user never saw saved.
    const QString previousPath = state.LyricsPath;
    state.LyricsPath = files.CommonDialog1.fileName;
    const Result written = WriteLyricsFile(files.document, state.LyricsPath);
    if (!written.ok()) {
        state.LyricsPath = previousPath;
        files.prompts.showMessage(written.errorString());
        return;
    }
    files.document.setSavedPath(state.LyricsPath);
    files.prompts.showMessage(state.LyricsPath + QStringLiteral("を保存しました"));
}

void SaveAndLoadLyrics(LyricsFiles& files)
{
    ProgramState& state = files.state;
    if (state.LyricsPath.isEmpty()) {
        files.prompts.showMessage(QStringLiteral("歌詞の保存先がまだありません。「歌詞保存」で保存先を選んでください"));
        return;
    }
    if (!mayReplace(files, state.LyricsPath))
        return;
    const Result written = WriteLyricsFile(files.document, state.LyricsPath);
    if (!written.ok()) {
        files.prompts.showMessage(written.errorString());
        return;
    }
    files.document.setSavedPath(state.LyricsPath);
    files.engine.vbmp3_setLyricsFile(state.LyricsPath);
    state.EngineLyricsPath = state.LyricsPath;
    files.prompts.showMessage(state.LyricsPath + QStringLiteral("を Save & Load しました"));
}

}  // namespace lyricue
