#include "lyrics_saver.h"

#include "ansi_text.h"
#include "file_dialogs.h"
#include "lyrics_format.h"

#include <algorithm>

QString WriteLyricsFile(const LyricsSheet& sheet, const ProgramState& state)
{
    const int lineCount = std::max(std::min<int>(state.LineCount, sheet.rows() - 1), 0);
    // Each line is joined and encoded straight into the file's bytes; no list of all lines.
    const auto lineAt = [&sheet](qsizetype line, QString& scratch) {
        const int row = static_cast<int>(line) + 1;
        joinLyricTag(CellText(sheet, row, 0), CellText(sheet, row, 1), scratch);
        return QStringView(scratch);
    };
    return writeTextLines(state.LyricsPath, lineCount, lineAt, state.LyricsEncoding);
}

void SaveLyrics(LyricsFiles& files)
{
    ProgramState& state = files.state;
    if (state.LyricsPath.isEmpty())
        return;
    if (!ShowSaveDialog(files.prompts, files.CommonDialog1, state))
        return;
    // A save that fails keeps the file the sheet came from, so a later "再読込"
    // does not write to a place the user never saw saved.
    const QString previousPath = state.LyricsPath;
    state.LyricsPath = files.CommonDialog1.fileName;
    const QString error = WriteLyricsFile(files.sheet, state);
    if (!error.isEmpty()) {
        state.LyricsPath = previousPath;
        files.prompts.showMessage(error);
        return;
    }
    files.prompts.showMessage(state.LyricsPath + QStringLiteral("を保存しました"));
}

void SaveAndLoadLyrics(LyricsFiles& files)
{
    ProgramState& state = files.state;
    if (state.LyricsPath.isEmpty() || state.SelectedPath == ErrorCancel)
        return;
    const QString error = WriteLyricsFile(files.sheet, state);
    if (!error.isEmpty()) {
        files.prompts.showMessage(error);
        return;
    }
    files.engine.vbmp3_setLyricsFile(state.LyricsPath);
    files.prompts.showMessage(state.LyricsPath + QStringLiteral("を Save & Load しました"));
}
