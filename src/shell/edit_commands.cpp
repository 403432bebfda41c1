#include "shell/edit_commands.h"

#include "audio/audio_engine.h"
#include "base/prompts.h"
#include "document/lyrics_document.h"

#include <QTimer>

#include <algorithm>

namespace lyricue {

namespace {

constexpr qint64 ReplayLeadMs = 2000;

}  // namespace

EditCommands::EditCommands(Targets targets) : m_targets(targets) {}

void EditCommands::nudgeTag(int ms)
{
    m_targets.document.nudgeCurrentTag(ms);
}

void EditCommands::replayLine()
{
    const LyricsDocument& document = m_targets.document;
    const std::optional<qint64> tagMs = document.tagMs(document.row() - 1);
    if (!tagMs)
        return;
    // The engine seeks to whole seconds: the line is heard from 2 to 3 s before its tag.
    const auto seconds = static_cast<std::int32_t>(std::max<qint64>(*tagMs - ReplayLeadMs, 0) / 1000);
    AudioEngine& engine = m_targets.engine;
    std::int32_t position = 0;
    const std::int32_t state = engine.vbmp3_getState(position);
    engine.vbmp3_seek(seconds);
    if (state == EnginePlaying)
        return;
    const std::int32_t started = state == EnginePaused ? engine.vbmp3_restart() : engine.vbmp3_play();
    if (started != 0)
        m_targets.playTimer.start();
}

void EditCommands::insertLine()
{
    if (const Result inserted = m_targets.document.insertLineAtCursor(); !inserted.ok())
        m_targets.prompts.showMessage(inserted.errorString());
}

void EditCommands::deleteLine()
{
    if (const Result deleted = m_targets.document.deleteLineAtCursor(); !deleted.ok())
        m_targets.prompts.showMessage(deleted.errorString());
}

}  // namespace lyricue
