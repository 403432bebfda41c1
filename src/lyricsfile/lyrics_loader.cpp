#include "lyrics_loader.h"

#include "ansi_text.h"
#include "file_dialogs.h"
#include "lyrics_format.h"
#include "shell_paths.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Line counts and the sheet's row count (lines + 1) are 16-bit signed values.
constexpr qsizetype kMaxLines = 32766;

// Only a normal file counts: a folder, or a hidden file, is no lyrics file.
bool isNormalFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

// Asks for the lyrics file, or takes it from the open dialog. False when the load
// ends here; LyricsPath then holds what the road left in it.
bool chooseLyricsFile(LyricsFiles& files)
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
        // A cancelled dialog has emptied LyricsPath already.
        if (state.SelectedPath != ErrorCancel)
            state.LyricsPath = files.CommonDialog1.fileName;
        break;
    default:
        return false;
    }
    return state.SelectedPath != ErrorCancel;
}

// The sheet of a load before any line is in: header, line 0 tagged "[00:00:00]".
void resetSheet(LyricsSheet& sheet, ProgramState& state)
{
    state.StampRow = 0;
    sheet.clear();
    sheet.setCols(2);
    sheet.setRows(2);
    sheet.setHeaderFormat(QStringLiteral("<Time Tag|<歌詞"));
    sheet.setColWidth(0, 1100);
    sheet.setColWidth(1, 6250);
    sheet.setCellAt(LineTagIndex(sheet, state.StampRow), QStringLiteral("[00:00:00]"));
    state.LyricLines = QStringList{QString()};
    state.LineCount = 0;
}

// A load that fails after the reset: the file is not the sheet's any more, so no
// save may replace it with what the sheet now holds.
void failLoad(LyricsFiles& files, const QString& message)
{
    files.state.LyricsPath.clear();
    files.prompts.showMessage(message);
}

}  // namespace

void LoadLyrics(LyricsFiles& files)
{
    if (!chooseLyricsFile(files))
        return;
    ProgramState& state = files.state;
    LyricsSheet& sheet = files.sheet;

    // The engine has the file even when reading it fails.
    files.engine.vbmp3_setLyricsFile(state.LyricsPath);
    resetSheet(sheet, state);

    TextFileContent content = readTextLines(state.LyricsPath);
    if (!content.ok()) {
        failLoad(files, content.error);
        return;
    }
    const qsizetype lineCount = content.lines.size();
    if (lineCount > kMaxLines) {
        failLoad(files, QStringLiteral("「%1」を読み込めません: %2 行あります。読み込めるのは %3 行までです")
                            .arg(QDir::toNativeSeparators(state.LyricsPath), QString::number(lineCount),
                                 QString::number(kMaxLines)));
        return;
    }
    state.LyricsEncoding = content.encoding;
    state.LineCount = static_cast<std::int16_t>(lineCount);
    if (lineCount == 0) {
        files.prompts.showMessage(QStringLiteral("File内容が存在しません"));
        return;
    }

    sheet.setRows(state.LineCount + 1);
    state.LyricLines = std::move(content.lines);
    state.LyricLines.append(QString());
    // Tag and text cells of every line, in linear order, filled in one go.
    const int firstIndex = LineTagIndex(sheet, 0);
    QStringList cells;
    cells.reserve(2 * lineCount);
    for (int line = 0; line < state.LineCount; ++line) {
        QString& text = state.LyricLines[line];
        // A line that only looks like a tag ("[Chorus]") is treated as any line
        // without one: its tag cell keeps what the reset left there.
        if (const qsizetype tagLength = lyricTagLength(text)) {
            cells.append(text.left(tagLength));
            text.remove(0, tagLength);
        } else {
            cells.append(sheet.cellAt(LineTagIndex(sheet, line)));
        }
        cells.append(text);
    }
    sheet.setCellsAt(firstIndex, std::move(cells));
    sheet.setRow(1);
}
