#include "timeline/time_window.h"

#include <algorithm>
#include <cmath>

namespace lyricue {

double TimeWindow::xOf(qint64 ms, int pixels) const
{
    return static_cast<double>(ms - startMs) * pixels / static_cast<double>(widthMs);
}

qint64 TimeWindow::msAt(double x, int pixels) const
{
    if (pixels <= 0)
        return startMs;
    const qint64 ms = startMs + std::llround(x * static_cast<double>(widthMs) / pixels);
    return std::max<qint64>(ms, 0);
}

bool TimeWindow::follow(qint64 positionMs)
{
    if (positionMs >= startMs && positionMs < endMs())
        return false;
    startMs = std::max<qint64>(positionMs - widthMs / 8, 0);
    return true;
}

void TimeWindow::zoom(int steps, qint64 anchorMs)
{
    qint64 width = widthMs;
    for (; steps > 0 && width > NarrowestMs; --steps)
        width /= 2;
    for (; steps < 0 && width < WidestMs; ++steps)
        width *= 2;
    width = std::clamp(width, NarrowestMs, WidestMs);
    if (width == widthMs)
        return;
    const double share = std::clamp(static_cast<double>(anchorMs - startMs) / static_cast<double>(widthMs), 0.0, 1.0);
    startMs = std::max<qint64>(anchorMs - std::llround(share * static_cast<double>(width)), 0);
    widthMs = width;
}

}  // namespace lyricue
