#include "lyricsfile/sheet_filling.h"

#include "audio/audio_engine.h"

#include <QDir>
#include <QUndoCommand>

#include <utility>

namespace lyricue {

namespace {

// The part of a load's step that lives in the program state. Undone after the
// lines, it puts the current row back in step with the StampRow it restores.
class LoadStateStep : public QUndoCommand {
public:
    LoadStateStep(LyricsDocument& document, ProgramState& state, QString lyricsPath, QStringList lyricLines,
                  AudioEngine* engine, QUndoCommand* parent)
        : QUndoCommand(parent), m_document(document), m_state(state), m_lyricsPath(std::move(lyricsPath)),
          m_lyricLines(std::move(lyricLines)), m_engine(engine),
          m_engineLyricsPath(engine ? m_lyricsPath : state.EngineLyricsPath)
    {
    }
    void redo() override
    {
        swap();
        // The load itself has handed the engine its file already.
        if (std::exchange(m_done, true))
            tellEngine();
    }
    void undo() override
    {
        swap();
        tellEngine();
        emit m_document.cursorRestored(m_state.StampRow, m_state.StampRow + 1);
    }

private:
    void swap()
    {
        std::swap(m_state.LyricsPath, m_lyricsPath);
        std::swap(m_state.LyricLines, m_lyricLines);
        std::swap(m_state.StampRow, m_stampRow);
        std::swap(m_state.EngineLyricsPath, m_engineLyricsPath);
    }
    // The five labels show the lines of the file that goes with the sheet.
    void tellEngine()
    {
        if (m_engine)
            m_engine->vbmp3_setLyricsFile(m_state.EngineLyricsPath);
    }

    LyricsDocument& m_document;
    ProgramState& m_state;
    QString m_lyricsPath;
    QStringList m_lyricLines;
    std::int16_t m_stampRow = 0;
    AudioEngine* m_engine;  // the engine a load handed its file to; none for an import
    QString m_engineLyricsPath;
    bool m_done = false;
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

LyricsContent lyricsContentOf(QStringList tags, QStringList texts)
{
    LyricsContent content;
    if (texts.isEmpty()) {
        content.lines.push_back({StartTag, QString()});
        return content;
    }
    content.lineCount = static_cast<std::int16_t>(texts.size());
    content.lines.reserve(static_cast<std::size_t>(texts.size()));
    for (qsizetype line = 0; line < texts.size(); ++line)
        content.lines.push_back({std::move(tags[line]), std::move(texts[line])});
    return content;
}

void replaceLyrics(LyricsDocument& document, ProgramState& state, LyricsContent content, const QString& lyricsPath,
                   const QString& actionText, AudioEngine* engineGivenTheFile)
{
    QStringList lyricLines;
    lyricLines.reserve(static_cast<qsizetype>(content.lines.size()) + 1);
    for (int line = 0; line < content.lineCount; ++line)
        lyricLines.append(content.lines[static_cast<std::size_t>(line)].text);
    lyricLines.append(QString());
    auto* step = new QUndoCommand(actionText);
    new LoadStateStep(document, state, lyricsPath, std::move(lyricLines), engineGivenTheFile, step);
    document.addReplaceStep(std::move(content), step);
    // A load keeps one earlier sheet to go back to, not every one ever loaded: the
    // history starts again from the sheet before it.
    document.undoStack().clear();
    document.undoStack().push(step);
}

}  // namespace lyricue
