#include "lyricsfile/sheet_filling.h"

#include <QDir>
#include <QUndoCommand>

namespace {

// The part of a load's step that lives in the program state. Undone after the
// lines, it puts the current row back in step with the StampRow it restores.
class LoadStateStep : public QUndoCommand {
public:
    LoadStateStep(LyricsDocument& document, ProgramState& state, QString lyricsPath, QStringList lyricLines,
                  QUndoCommand* parent)
        : QUndoCommand(parent), m_document(document), m_state(state), m_lyricsPath(std::move(lyricsPath)),
          m_lyricLines(std::move(lyricLines))
    {
    }
    void redo() override { swap(); }
    void undo() override
    {
        swap();
        emit m_document.cursorRestored(m_state.StampRow, m_state.StampRow + 1);
    }

private:
    void swap()
    {
        std::swap(m_state.LyricsPath, m_lyricsPath);
        std::swap(m_state.LyricLines, m_lyricLines);
        std::swap(m_state.StampRow, m_stampRow);
    }

    LyricsDocument& m_document;
    ProgramState& m_state;
    QString m_lyricsPath;
    QStringList m_lyricLines;
    std::int16_t m_stampRow = 0;
};

}  // namespace

Result checkLineCount(const QString& path, qsizetype lineCount)
{
    if (lineCount <= MaxLyricLines)
        return Result();
    return Result::failure(QStringLiteral("「%1」を読み込めません: %2 行あります。読み込めるのは %3 行までです")
                               .arg(QDir::toNativeSeparators(path), QString::number(lineCount),
                                    QString::number(MaxLyricLines)));
}

LyricsContent lyricsContentOf(QStringList tags, const QStringList& texts)
{
    LyricsContent content;
    if (texts.isEmpty()) {
        content.lines.push_back({StartTag, QString()});
        return content;
    }
    content.lineCount = static_cast<std::int16_t>(texts.size());
    content.lines.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype line = 0; line < texts.size(); ++line)
        content.lines.push_back({std::move(tags[line]), texts[line]});
    return content;
}

void replaceLyrics(LyricsDocument& document, ProgramState& state, LyricsContent content, const QString& lyricsPath,
                   const QString& actionText)
{
    QStringList lyricLines;
    lyricLines.reserve(static_cast<qsizetype>(content.lines.size()) + 1);
    for (int line = 0; line < content.lineCount; ++line)
        lyricLines.append(content.lines[static_cast<std::size_t>(line)].text);
    lyricLines.append(QString());
    auto* step = new QUndoCommand(actionText);
    new LoadStateStep(document, state, lyricsPath, std::move(lyricLines), step);
    document.addReplaceStep(std::move(content), step);
    document.undoStack().push(step);
}
