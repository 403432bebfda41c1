#pragma once

#include "sheet/cell_editing.h"
#include "shell/command_dispatcher.h"
#include "shell/file_commands.h"
#include "display/lyrics_labels.h"
#include "playback/playback_speed.h"
#include "playback/position_bar.h"
#include "shell/edit_commands.h"
#include "shell/timeline_toggle.h"
#include "shell/window_controls.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;

namespace lyricue {

class AudioEngine;
class CuePlayer;
class LyricsDocument;
class Prompts;

class RecoveryKeeper;
struct MenuTree;

// The program's one working window: builds its controls, starts and shuts down the
// engine in a fixed order, and routes each control event to its handler.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AudioEngine& engine, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The lyrics being timed, with StampRow, the current row and LyricsPath.
    LyricsDocument& document() { return *m_document; }
    // The file commands, which own SelectedPath.
    FileCommands& fileCommands() { return *m_fileCommands; }
    // What plays the tap-along click; without one, "タイミング補正…" says it cannot.
    void setCuePlayer(CuePlayer* player) { m_cuePlayer = player; }

    // A track named on the command line, or a file dropped on the window.
    void openGivenFile(const QString& path);

    // Keeps a recovery copy of unsaved lines in `folder`, written at most every `intervalMs`.
    void keepRecoveryCopies(const QString& folder, int intervalMs = 5000);
    // Offers the copies that programs ending unsaved left there; once the window is shown.
    void offerRecovery();
    // Brings the copy up to date, or removes it when the lines are saved; the program ends next.
    void finishRecovery();

    // The timeline panel; none until it is first shown.
    TimelinePanel* timelinePanel() const { return m_timeline->panel(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void connectHandlers();
    void connectEditMenu(const MenuTree& menus);

    void Play_timer_Timer();
    void Cmd_TimeIn_Click();
    // The play position `agoMs` before now, in track time.
    std::int32_t positionAgo(qint64 agoMs);
    void Command1_Click();
    // "Time Input" (a tag) or "Space" (none) into line StampRow.
    void stamp(const QString& tag);
    // "情報": the About box, built afresh and shown modally.
    void showAboutBox();
    // "タイミング補正…": the calibration dialog, built when first asked for.
    void calibrateStamping();
    // The offset in force and the stamping mode, on the "Time Input" button's tooltip and
    // the menu item.
    void showStampOffset();
    // "単語ごとにタイミング": each "Time Input" times the next segment of the line.
    bool timesSegments() const;
    void setSegmentTiming(bool on);
    // A "速度" menu item: a percent, or -1 / +1 for a step slower / faster.
    void Speed_Click(QAction* item);
    void showSpeed();

    AudioEngine& m_engine;
    Prompts& m_prompts;
    LyricsDocument* m_document = nullptr;  // a child made after the controls' parent, so it outlives the sheet
    WindowControls m_controls;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<CommandDispatcher> m_dispatcher;
    std::unique_ptr<LyricsDisplay> m_lyricsDisplay;
    std::unique_ptr<PositionBar> m_positionBar;
    std::unique_ptr<CellEditing> m_cellEditing;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<PlaybackSpeed> m_speed;
    QMenu* m_speedMenu = nullptr;
    std::unique_ptr<TimelineToggle> m_timeline;
    QPointer<QWidget> m_aboutBox;  // the About box while it is open
    CuePlayer* m_cuePlayer = nullptr;
    QAction* m_calibrate = nullptr;
    QAction* m_segmentTiming = nullptr;  // checked while timing word by word
    int m_stampOffsetMs = 0;  // taken off every stamp
    bool m_unloaded = false;
    std::unique_ptr<RecoveryKeeper> m_recovery;
};

}  // namespace lyricue
