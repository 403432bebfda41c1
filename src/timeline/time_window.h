#pragma once

#include <QtGlobal>

namespace lyricue {

// The span of the track the timeline shows, and where a time falls on a panel so many
// pixels wide. The span turns like a page: it stays put while the play position moves
// across it and jumps on when the position leaves it.
struct TimeWindow {
    static constexpr qint64 DefaultWidthMs = 8000;
    static constexpr qint64 NarrowestMs = 1000;
    static constexpr qint64 WidestMs = 64000;

    qint64 startMs = 0;
    qint64 widthMs = DefaultWidthMs;

    qint64 endMs() const { return startMs + widthMs; }
    double xOf(qint64 ms, int pixels) const;
    // The time under pixel x; never below 0.
    qint64 msAt(double x, int pixels) const;
    // Turns the page so that `positionMs` is in view, an eighth of the width from its
    // left edge. True when the span moved.
    bool follow(qint64 positionMs);
    // Halves the width per step in (steps > 0), doubles it per step out, within the
    // narrowest and widest spans; `anchorMs` keeps its place on the panel.
    void zoom(int steps, qint64 anchorMs);
};

}  // namespace lyricue
