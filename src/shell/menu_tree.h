#pragma once

class QMenu;
class QMenuBar;

// The menus the window builds.
struct MenuTree {
    QMenu* lrc;    // "LRC(&L)": its items carry their command key as data()
    QMenu* speed;  // "速度(&S)": items carry a percent, or -1 (slower) / +1 (faster), as data()
    QMenu* popup;  // Right_Click, owned by the menu bar
};

// Builds the window's menu tree: "ファイル(&F)", "LRC(&L)", "速度(&S)" and "about(&Q)" on
// the menu bar, and the popup menu Right_Click. The items of "ファイル(&F)" and of the popup
// have no action and nothing opens the popup; the LRC items run the LRC commands
// (import Ctrl+I, export Ctrl+E) once the window connects the menu. "速度(&S)" offers
// slower (Ctrl+-) and faster (Ctrl++), then 50 % to 100 %, one checked at a time.
MenuTree buildMenuTree(QMenuBar& menuBar);
