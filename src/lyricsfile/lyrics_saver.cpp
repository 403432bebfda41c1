#include "lyrics_saver.h"

#include "ansi_text.h"
#include "file_dialogs.h"
#include "lyrics_format.h"

#include <QStringList>

#include <algorithm>

QString WriteLyricsFile(const LyricsSheet& sheet, const ProgramState& state)
{
    const int lineCount = std::min<int>(state.LineCount, sheet.rows() - 1);
    QStringList lines;
    lines.reserve(std::max(lineCount, 0));
    for (int row = 1; row <= lineCount; ++row)
        lines.append(joinLyricTag(CellText(sheet, row, 0), CellText(sheet, row, 1)));
    return writeTextLines(state.LyricsPath, lines, state.LyricsEncoding);
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
