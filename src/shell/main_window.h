#pragma once

#include "cell_editing.h"
#include "command_dispatcher.h"
#include "document/program_state.h"
#include "file_commands.h"
#include "lyrics_labels.h"
#include "position_bar.h"
#include "shell/edit_commands.h"
#include "timeline_toggle.h"
#include "window_controls.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class AudioEngine;
class LyricsDocument;
class Prompts;
struct MenuTree;

// The program's one working window: builds its controls, starts and shuts down the
// engine in a fixed order, and routes each control event to its handler.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AudioEngine& engine, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The state shared by the handlers; the file commands and the tests read it.
    ProgramState& programState() { return m_state; }
    // The timeline panel; none until it is first shown.
    TimelinePanel* timelinePanel() const { return m_timeline->panel(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void connectHandlers();
    void connectEditMenu(const MenuTree& menus);

    void Play_timer_Timer();
    void Cmd_TimeIn_Click();
    void Command1_Click();
    // "情報": the About box, built afresh and shown modally.
    void showAboutBox();

    AudioEngine& m_engine;
    Prompts& m_prompts;
    ProgramState m_state;
    LyricsDocument* m_document = nullptr;  // a child made after the controls' parent, so it outlives the sheet
    WindowControls m_controls;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<CommandDispatcher> m_dispatcher;
    std::unique_ptr<LyricsDisplay> m_lyricsDisplay;
    std::unique_ptr<PositionBar> m_positionBar;
    std::unique_ptr<CellEditing> m_cellEditing;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<TimelineToggle> m_timeline;
    QPointer<QWidget> m_aboutBox;  // the About box while it is open
    bool m_unloaded = false;
};
