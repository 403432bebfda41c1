#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QTimer;
class QWidget;

namespace lyricue {

class AudioEngine;
class FileCommands;
class LyricsDocument;
class Prompts;


// What a command refused while music plays says.
QString busyMessage();

// Runs the commands of the toolbar and of the LRC menu: reads the engine state once
// per click, refuses the file, LRC, track lyrics and search commands while music plays, and does
// play, pause and resume, stop, search and exit itself.
class CommandDispatcher {
public:
    struct Targets {
        AudioEngine& engine;
        Prompts& prompts;
        LyricsDocument& document;
        QTimer& playTimer;        // Play_timer, the play clock
        QWidget& stampButton;     // Cmd_TimeIn, focused when playback starts
        FileCommands& fileCommands;
        std::function<void()> showSheetFromTop;  // play starts with the first lines in view
        std::function<void()> showAboutBox;
        std::function<void()> unloadWindow;
    };

    explicit CommandDispatcher(Targets targets);

    // The click of the toolbar button with this key.
    void Toolbar1_ButtonClick(const QString& key);
    // The choice of an LRC menu item, by its key; the same dispatch as a button's.
    void LrcMenu_Click(const QString& key);
    // A file dropped on the window or named on the command line, opened as "読込" or
    // "歌詞読込" would; refused while music plays, as those commands are.
    void openGivenFile(const QString& path);

private:
    void play(std::int32_t state);
    void stop();
    void pauseOrResume(std::int32_t state);
    void ShowSearchNotice();

    Targets m_targets;
};

}  // namespace lyricue
