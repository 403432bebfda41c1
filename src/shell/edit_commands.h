#pragma once

class QTimer;

namespace lyricue {

class AudioEngine;
class LyricsDocument;
class Prompts;

// The timing tools of the "編集" menu that work on the current row: nudging its
// tag, hearing its line again, inserting and deleting lines. Each works while the
// music plays, is paused or stopped; every change is one undoable step.
class EditCommands {
public:
    struct Targets {
        AudioEngine& engine;
        Prompts& prompts;
        LyricsDocument& document;
        QTimer& playTimer;  // Play_timer, started when a replay starts the music
    };

    explicit EditCommands(Targets targets);

    // Moves the current row's tag by `ms` (never below 00:00:00). A line without a
    // time tag is left alone.
    void nudgeTag(int ms);
    // Plays from 2 s before the current row's tag (from 0 when less), from stopped,
    // paused or playing. StampRow stays.
    void replayLine();
    // An empty line above the current row, which becomes the current row.
    void insertLine();
    // Removes the current row's line.
    void deleteLine();

private:
    Targets m_targets;
};

}  // namespace lyricue
