#pragma once

class QMenu;
class QMenuBar;

// Builds the window's menu tree: "ファイル(&F)" and "about(&Q)" on the menu bar, and the
// popup menu Right_Click. No item has an action and nothing opens the popup.
// Returns the popup menu, owned by the menu bar.
QMenu* buildMenuTree(QMenuBar& menuBar);
