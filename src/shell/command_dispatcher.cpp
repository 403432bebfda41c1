#include "shell/command_dispatcher.h"

#include "audio/audio_engine.h"
#include "shell/command_keys.h"
#include "shell/file_commands.h"
#include "document/lyrics_document.h"
#include "base/prompts.h"

#include <QTimer>
#include <QWidget>

#include <utility>

namespace lyricue {

namespace {

const QString UnexpectedStateMessage = QStringLiteral("設定値以外の引数が返されました。");
const QString SearchNotice = QStringLiteral("類似する歌詞ファイルの検索を行います（予定）");

}  // namespace

QString busyMessage()
{
    return QStringLiteral("ＭＰ３再生中は実行できません");
}

CommandDispatcher::CommandDispatcher(Targets targets) : m_targets(std::move(targets)) {}

void CommandDispatcher::Toolbar1_ButtonClick(const QString& key)
{
    std::int32_t positionSeconds = 0;
    const std::int32_t state = m_targets.engine.vbmp3_getState(positionSeconds);

    struct Command {
        const QString& key;
        bool busyRule;  // refused while the engine plays
        std::function<void()> run;
    };
    FileCommands& files = m_targets.fileCommands;
    // In the order the keys are compared.
    const Command commands[] = {
        {CommandKey::Open, true, [&] { files.openMusicFile(); }},
        {CommandKey::LoadLyrics, true, [&] { files.loadLyricsFile(); }},
        {CommandKey::SaveLyrics, true, [&] { files.SaveLyrics(); }},
        {CommandKey::SaveAndLoad, true, [&] { files.SaveAndLoadLyrics(); }},
        {CommandKey::Play, false, [&] { play(state); }},
        {CommandKey::Stop, false, [&] { stop(); }},
        {CommandKey::Pause, false, [&] { pauseOrResume(state); }},
        {CommandKey::Search, true, [&] { ShowSearchNotice(); }},
        {CommandKey::About, false, [&] { m_targets.showAboutBox(); }},
        {CommandKey::Exit, false, [&] { m_targets.unloadWindow(); }},
        {CommandKey::ImportLrc, true, [&] { files.importLrc(); }},
        {CommandKey::ExportLrc, true, [&] { files.exportLrc(); }},
        {CommandKey::LoadTrackLyrics, true, [&] { files.loadTrackLyrics(); }},
        {CommandKey::WriteTrackLyrics, true, [&] { files.writeTrackLyrics(); }},
    };
    for (const Command& command : commands) {
        if (command.key != key)
            continue;
        if (command.busyRule && state == EnginePlaying) {
            m_targets.prompts.showMessage(busyMessage());
            return;
        }
        command.run();
        return;
    }
}

void CommandDispatcher::LrcMenu_Click(const QString& key)
{
    Toolbar1_ButtonClick(key);
}

void CommandDispatcher::openGivenFile(const QString& path)
{
    std::int32_t positionSeconds = 0;
    if (m_targets.engine.vbmp3_getState(positionSeconds) == EnginePlaying) {
        m_targets.prompts.showMessage(busyMessage());
        return;
    }
    m_targets.fileCommands.openGivenFile(path);
}

void CommandDispatcher::play(std::int32_t state)
{
    if (m_targets.fileCommands.SelectedPath().isEmpty())
        return;
    if (state == EnginePlaying)
        m_targets.engine.vbmp3_play();
    if (m_targets.engine.vbmp3_play() == 0)
        return;
    LyricsDocument& document = m_targets.document;
    if (document.row() >= 2)
        document.setCursor({1, 2});
    m_targets.showSheetFromTop();
    m_targets.playTimer.start();
    m_targets.stampButton.setFocus();
}

void CommandDispatcher::stop()
{
    m_targets.engine.vbmp3_stop();
    m_targets.playTimer.stop();
}

void CommandDispatcher::pauseOrResume(std::int32_t state)
{
    switch (state) {
    case EngineStopped:
        m_targets.engine.vbmp3_play();
        m_targets.playTimer.start();
        break;
    case EnginePlaying:
        m_targets.engine.vbmp3_pause();
        m_targets.playTimer.stop();
        break;
    case EnginePaused:
        m_targets.engine.vbmp3_restart();
        m_targets.playTimer.start();
        break;
    default:
        m_targets.prompts.showMessage(UnexpectedStateMessage);
        break;
    }
}

void CommandDispatcher::ShowSearchNotice()
{
    m_targets.prompts.showMessage(SearchNotice);
}

}  // namespace lyricue
