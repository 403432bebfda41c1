#include "sheet_filling.h"

#include <QDir>

Result checkLineCount(const QString& path, qsizetype lineCount)
{
    if (lineCount <= MaxLyricLines)
        return Result();
    return Result::failure(QStringLiteral("「%1」を読み込めません: %2 行あります。読み込めるのは %3 行までです")
                               .arg(QDir::toNativeSeparators(path), QString::number(lineCount),
                                    QString::number(MaxLyricLines)));
}

void resetLyricsSheet(LyricsSheet& sheet, ProgramState& state)
{
    state.StampRow = 0;
    // Rows first: emptying the cells of a long sheet that go next is wasted work.
    sheet.setRows(2);
    sheet.clear();
    sheet.setCols(2);
    sheet.setHeaderFormat(QStringLiteral("<Time Tag|<歌詞"));
    sheet.setColWidth(0, 1100);
    sheet.setColWidth(1, 6250);
    sheet.setCellAt(LineTagIndex(sheet, state.StampRow), StartTag);
    state.LyricLines = QStringList{QString()};
    state.LineCount = 0;
}

void showLyricLines(LyricsSheet& sheet, ProgramState& state, QStringList tags, QStringList texts)
{
    resetLyricsSheet(sheet, state);
    const int lineCount = static_cast<int>(texts.size());
    state.LineCount = static_cast<std::int16_t>(lineCount);
    sheet.setRows(lineCount + 1);
    // Tag and text cells of every line, in linear order, filled in one go.
    QStringList cells;
    cells.reserve(2 * lineCount);
    for (int line = 0; line < lineCount; ++line)
        cells << std::move(tags[line]) << texts[line];
    sheet.setCellsAt(LineTagIndex(sheet, 0), std::move(cells));
    state.LyricLines = std::move(texts);
    state.LyricLines.append(QString());
    sheet.setRow(1);
    sheet.setTopRow(1);
}
