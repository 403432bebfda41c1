#include "display/wipe_label.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace lyricue {

WipeLabel::WipeLabel(QWidget* parent) : QLabel(parent) {}

void WipeLabel::setSungExtent(std::optional<double> characters)
{
    const std::optional<int> before = wipeX();
    m_sungExtent = characters;
    if (wipeX() != before)
        update();
}

std::optional<int> WipeLabel::wipeX() const
{
    if (!m_sungExtent)
        return std::nullopt;
    const QString shown = text();
    const QFontMetricsF metrics(font());
    const QRect laidOut = style()->itemTextRect(fontMetrics(), contentsRect(), static_cast<int>(alignment()),
                                                isEnabled(), shown);
    const double extent = std::clamp(*m_sungExtent, 0.0, static_cast<double>(shown.size()));
    const auto whole = static_cast<qsizetype>(std::floor(extent));
    double x = laidOut.left() + metrics.horizontalAdvance(shown.left(whole));
    if (whole < shown.size())
        x += (extent - static_cast<double>(whole)) * metrics.horizontalAdvance(shown.mid(whole, 1));
    return static_cast<int>(std::lround(x));
}

void WipeLabel::paintEvent(QPaintEvent* event)
{
    const std::optional<int> x = wipeX();
    if (!x) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    const int flags = static_cast<int>(alignment());
    // The sung part left of x in the wipe colour, the rest as the label paints it.
    QPalette sung = palette();
    sung.setColor(QPalette::WindowText, QColor(WipeColour));
    painter.setClipRect(QRect(0, 0, *x, height()));
    style()->drawItemText(&painter, area, flags, sung, isEnabled(), text(), foregroundRole());
    painter.setClipRect(QRect(*x, 0, width() - *x, height()));
    style()->drawItemText(&painter, area, flags, palette(), isEnabled(), text(), foregroundRole());
}

}  // namespace lyricue
