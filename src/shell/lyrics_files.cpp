#include "shell/lyrics_files.h"

#include <QUndoCommand>

#include <utility>

namespace lyricue {

namespace {

// The part of a load's step that the engine holds: the lyrics file whose lines the
// five labels show goes with the sheet, back and forth.
class EngineLyricsStep : public QUndoCommand {
public:
    EngineLyricsStep(AudioEngine& engine, QString before, QString after, QUndoCommand* parent)
        : QUndoCommand(parent), m_engine(engine), m_before(std::move(before)), m_after(std::move(after))
    {
    }

    void redo() override
    {
        // The load itself has handed the engine its file already.
        if (std::exchange(m_done, true))
            m_engine.vbmp3_setLyricsFile(m_after);
    }

    void undo() override { m_engine.vbmp3_setLyricsFile(m_before); }

private:
    AudioEngine& m_engine;
    QString m_before;
    QString m_after;
    bool m_done = false;
};

}  // namespace

void replaceLyrics(LyricsDocument& document, LyricsContent content, const QString& actionText,
                   AudioEngine* engineGivenTheFile)
{
    content.engineLyricsPath = engineGivenTheFile ? content.lyricsPath : document.engineLyricsPath();
    std::function<void(QUndoCommand*)> alongside;
    if (engineGivenTheFile) {
        alongside = [engine = engineGivenTheFile, before = document.engineLyricsPath(),
                     after = content.engineLyricsPath](QUndoCommand* step) {
            new EngineLyricsStep(*engine, before, after, step);
        };
    }
    document.load(std::move(content), actionText, alongside);
}

}  // namespace lyricue
