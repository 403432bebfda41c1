#pragma once

#include <QColor>
#include <QString>

#include <array>

class QLabel;

namespace lyricue {

class AudioEngine;

// Shows the engine's five timed lyric lines for the play position in the labels
// Lbl_1(0) (top) to Lbl_1(4) (bottom) and marks the middle one once it holds text; a
// middle label that is a WipeLabel shows the sung part of its line as the engine tells it.
class LyricsDisplay {
public:
    static constexpr QRgb HighlightColour = 0xFFFF00;  // red 255, green 255, blue 0

    LyricsDisplay(AudioEngine& engine, const std::array<QLabel*, 5>& labels);

    // One play clock tick's refresh: fetch the lines, show them, maybe highlight.
    void RefreshLyricsLabels();

private:
    AudioEngine& m_engine;
    std::array<QLabel*, 5> m_labels;
};

// True when a middle line, cut at its first NUL and with leading and trailing
// spaces removed, still holds something to highlight.
bool isHighlightedLine(const QString& line);

}  // namespace lyricue
