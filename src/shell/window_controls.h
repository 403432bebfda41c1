#pragma once

#include "base/prompts.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolBar;
class QWidget;

namespace lyricue {

class AudioEngine;
class LyricsDocument;
class LyricsSheet;
class StampButton;

class VolumeSlider;

// The controls of the main window, named as the window names them.
struct WindowControls {
    QToolBar* Toolbar1;
    QLabel* lblTime;
    QLabel* lbl_time2;
    std::array<QLabel*, 5> Lbl_1;  // index 0 at the top
    StampButton* Cmd_TimeIn;
    QPushButton* Command1;
    QScrollBar* timebar;
    QLabel* Label8;
    VolumeSlider* Slider1;
    QLineEdit* Time_Txt;
    QLineEdit* Grid_Txt;
    LyricsSheet* FlxGrid;
    QTimer* Play_timer;
    QTimer* Timer2;
    FileDialogSettings CommonDialog1;  // the one file dialog; its settings last between uses
};

// Creates every control inside the client area at its place (positions in twips,
// 15 to a pixel) with its design-time settings and tab order. Timers are created
// stopped; the toolbar is empty until BuildToolbar fills it. The sheet shows `document`.
WindowControls createControls(QWidget& client, AudioEngine& engine, LyricsDocument& document);

}  // namespace lyricue
