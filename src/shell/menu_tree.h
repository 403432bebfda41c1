#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace lyricue {

// The items of "編集(&E)"; the window connects each to its command.
struct EditMenu {
    QAction* undo;          // Ctrl+Z
    QAction* redo;          // Ctrl+Y, Ctrl+Shift+Z
    QAction* earlier;       // Alt+Left: the current line's tag 10 ms earlier
    QAction* later;         // Alt+Right: 10 ms later
    QAction* muchEarlier;   // Alt+Shift+Left: 100 ms earlier
    QAction* muchLater;     // Alt+Shift+Right: 100 ms later
    QAction* replayLine;    // Ctrl+R: play from 2 s before the current line's tag
    // Ctrl+Shift+Insert and Ctrl+Shift+Delete: Ctrl+Insert and Ctrl+Delete are the
    // edit boxes' copy and delete-word keys.
    QAction* insertLine;    // an empty line above the current row
    QAction* deleteLine;    // the current row's line
    QAction* segmentTiming; // "単語ごとにタイミング", checkable (Ctrl+K): Time Input times segments
    QAction* defaultSplit;  // the current row's segments split by default again
    QAction* calibrate;     // "タイミング補正…", its text showing the stamp offset in force
};

// The menus the window builds.
struct MenuTree {
    QMenu* lrc;    // "LRC(&L)": its items carry their command key as data()
    EditMenu edit;
    QMenu* speed;  // "速度(&S)": items carry a percent, or -1 (slower) / +1 (faster), as data()
    QMenu* popup;  // Right_Click, owned by the menu bar
    QAction* timeline;         // "タイムライン", checkable (Ctrl+T)
    QAction* timelineZoomIn;   // Alt+Up; Alt+Down zooms out
    QAction* timelineZoomOut;
};

// Builds the window's menu tree: "ファイル(&F)", "編集(&E)", "LRC(&L)", "速度(&S)", "表示(&V)" and
// "about(&Q)" on the menu bar, and the popup menu Right_Click. The items of "ファイル(&F)" and of the popup
// have no action and nothing opens the popup; the LRC items run the LRC commands
// (import Ctrl+I, export Ctrl+E) and the track's lyrics commands ("曲の歌詞を読込",
// "曲に歌詞を書込") once the window connects the menu. "速度(&S)" offers
// slower (Ctrl+-) and faster (Ctrl++), then 50 % to 100 %, one checked at a time.
MenuTree buildMenuTree(QMenuBar& menuBar);

}  // namespace lyricue
