#pragma once

class QAction;
class QMenu;
class QMenuBar;

// The menus the window builds.
struct MenuTree {
    QMenu* lrc;    // "LRC(&L)": its items carry their command key as data()
    QMenu* popup;  // Right_Click, owned by the menu bar
    QAction* timeline;         // "タイムライン", checkable (Ctrl+T)
    QAction* timelineZoomIn;   // the standard zoom keys
    QAction* timelineZoomOut;
};

// Builds the window's menu tree: "ファイル(&F)", "LRC(&L)", "表示(&V)" and "about(&Q)" on the menu
// bar, and the popup menu Right_Click. The items of "ファイル(&F)" and of the popup
// have no action and nothing opens the popup; the LRC items run the LRC commands
// (import Ctrl+I, export Ctrl+E) once the window connects the menu.
MenuTree buildMenuTree(QMenuBar& menuBar);
