#include "shell/edit_commands.h"

#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "audio/audio_engine.h"
#include "base/prompts.h"
#include "text/time_tag.h"
#include "sheet/lyrics_sheet.h"

#include <QTimer>

#include <algorithm>
#include <optional>

namespace lyricue {

namespace {

constexpr qint64 ReplayLeadMs = 2000;

// The time of the current row's tag, if it holds one.
std::optional<qint64> currentTagMs(const LyricsSheet& sheet)
{
    const int line = sheet.row() - 1;
    if (line < 0 || line >= sheet.document().lineRows())
        return std::nullopt;
    return time_tag::msOf(sheet.document().line(line).tag);
}

}  // namespace

EditCommands::EditCommands(Targets targets) : m_targets(targets) {}

void EditCommands::nudgeTag(int ms)
{
    const std::optional<qint64> tagMs = currentTagMs(m_targets.sheet);
    if (!tagMs)
        return;
    m_targets.sheet.document().setTag(m_targets.sheet.row() - 1, time_tag::format(*tagMs + ms),
                                      QStringLiteral("タグの移動"));
}

void EditCommands::replayLine()
{
    const std::optional<qint64> tagMs = currentTagMs(m_targets.sheet);
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
    LyricsSheet& sheet = m_targets.sheet;
    LyricsDocument& document = sheet.document();
    if (document.lineRows() >= MaxLyricLines) {
        m_targets.prompts.showMessage(
            QStringLiteral("行を挿入できません: 歌詞は %1 行までです").arg(QString::number(MaxLyricLines)));
        return;
    }
    const int row = std::max(sheet.row(), 1);
    const int line = row - 1;
    const std::int16_t stampRow = m_targets.state.StampRow;
    // StampRow keeps to the lyric line it named, which moves down when it lies at or below.
    const auto stampAfter = static_cast<std::int16_t>(stampRow >= line ? stampRow + 1 : stampRow);
    if (!document.insertLine(line, {{stampRow, row}, {stampAfter, row}}))
        return;
    m_targets.state.StampRow = stampAfter;
    sheet.setRow(row);
}

void EditCommands::deleteLine()
{
    LyricsSheet& sheet = m_targets.sheet;
    LyricsDocument& document = sheet.document();
    if (document.lineRows() <= 1) {
        m_targets.prompts.showMessage(QStringLiteral("最後の 1 行は削除できません"));
        return;
    }
    const int row = sheet.row();
    if (row < 1)
        return;
    const int line = row - 1;
    const int lastLineAfter = document.lineRows() - 2;
    const std::int16_t stampRow = m_targets.state.StampRow;
    // StampRow keeps to its lyric line; on the deleted line it names the next one.
    const auto stampAfter =
        static_cast<std::int16_t>(std::min(stampRow > line ? stampRow - 1 : int(stampRow), lastLineAfter));
    const int rowAfter = std::min(row, lastLineAfter + 1);
    if (!document.removeLine(line, {{stampRow, row}, {stampAfter, rowAfter}}))
        return;
    m_targets.state.StampRow = stampAfter;
    sheet.setRow(rowAfter);
}

void EditCommands::restoreCursor(int stampRow, int row)
{
    m_targets.state.StampRow = static_cast<std::int16_t>(stampRow);
    m_targets.sheet.setRow(row);
    if (m_targets.sheet.currentIndex().isValid())
        m_targets.sheet.scrollTo(m_targets.sheet.currentIndex());
}

}  // namespace lyricue
