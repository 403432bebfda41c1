#include "timeline/timeline_panel.h"

#include "audio/audio_engine.h"
#include "document/lyrics_document.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace lyricue {

namespace {

constexpr int FrameIntervalMs = 33;
constexpr int PeaksPollMs = 100;
constexpr int MarkerGrip = 4;  // pixels either side of a marker that take hold of it
constexpr int MarkerTextWidth = 90;

const QColor Background(24, 28, 36);
const QColor WaveColour(96, 176, 224);
const QColor SecondTick(70, 76, 90);
const QColor MarkerColour(224, 200, 96);
const QColor CurrentMarkerColour(255, 110, 64);
const QColor PositionColour(255, 255, 255);

}  // namespace

TimelinePanel::TimelinePanel(TimelineLinks links, int width, QWidget* parent)
    : QWidget(parent), m_links(std::move(links))
{
    setObjectName(QStringLiteral("timeline"));
    setFixedSize(width, PanelHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    m_peaksTimer.setInterval(PeaksPollMs);
    connect(&m_peaksTimer, &QTimer::timeout, this, &TimelinePanel::pollPeaks);
    m_frameTimer.setInterval(FrameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &TimelinePanel::frame);

    const LyricsDocument* document = &m_links.document;
    const auto stale = [this] {
        m_markersStale = true;
        update();
    };
    connect(document, &LyricsDocument::linesChanged, this, stale);
    connect(document, &LyricsDocument::contentReplaced, this, stale);
    connect(document, &LyricsDocument::linesInserted, this, stale);
    connect(document, &LyricsDocument::linesRemoved, this, stale);
    connect(document, &LyricsDocument::cursorChanged, this, [this] { update(); });
}

TimelinePanel::~TimelinePanel() = default;

void TimelinePanel::setTrack(const QString& path)
{
    std::erase_if(m_cancelledScans, [](const auto& scan) { return scan->finished(); });
    if (m_scan) {
        m_scan->cancel();
        m_cancelledScans.push_back(std::move(m_scan));
    }
    m_trackPath = path;
    m_peaks.reset();
    m_drawnBlocks = -1;
    m_waveform = QPixmap();
    m_window.startMs = 0;
    if (isVisible())
        startScan();
    update();
}

void TimelinePanel::startScan()
{
    if (m_scan || m_trackPath.isEmpty())
        return;
    m_scan = std::make_unique<PeakScan>(m_trackPath, m_links.openDecoder);
    m_peaksTimer.start();
}

void TimelinePanel::pollPeaks()
{
    if (!m_scan)
        return;
    if (!m_peaks)
        m_peaks = m_scan->peaks();
    const std::int64_t ready = m_peaks ? m_peaks->readyBlocks() : 0;
    if (ready != m_drawnBlocks) {
        m_waveform = QPixmap();
        update();
    }
    if (m_scan->finished())
        m_peaksTimer.stop();
}

void TimelinePanel::zoomIn()
{
    zoom(1);
}

void TimelinePanel::zoomOut()
{
    zoom(-1);
}

void TimelinePanel::zoom(int steps)
{
    const TimeWindow before = m_window;
    m_window.zoom(steps, m_positionMs);
    if (m_window.widthMs != before.widthMs || m_window.startMs != before.startMs) {
        m_waveform = QPixmap();
        update();
    }
}

void TimelinePanel::stateTick()
{
    if (isVisible() && !m_frameTimer.isActive())
        refreshPosition();
}

void TimelinePanel::playTick()
{
    if (isVisible() && !m_frameTimer.isActive())
        m_frameTimer.start();
}

void TimelinePanel::frame()
{
    refreshPosition();
    if (!m_links.playClock.isActive())
        m_frameTimer.stop();  // paused or stopped: the last position stays drawn
}

void TimelinePanel::refreshPosition()
{
    const qint64 ms = std::max<qint64>(m_links.engine.vbmp3_getWinampPlayMs(), 0);
    if (ms == m_positionMs)
        return;
    const int oldX = xOf(m_positionMs);
    m_positionMs = ms;
    if (m_dragLine < 0 && m_window.follow(ms)) {
        m_waveform = QPixmap();
        update();
        return;
    }
    const int newX = xOf(ms);
    update(QRect(std::min(oldX, newX) - 1, 0, std::abs(newX - oldX) + 3, height()));
}

int TimelinePanel::xOf(qint64 ms) const
{
    return static_cast<int>(std::floor(m_window.xOf(ms, width())));
}

const std::vector<TagMarker>& TimelinePanel::markers()
{
    if (m_markersStale) {
        m_markers = tagMarkers(m_links.document);
        m_markersStale = false;
    }
    return m_markers;
}

void TimelinePanel::renderWaveform()
{
    m_waveform = QPixmap(size());
    m_waveform.fill(Background);
    QPainter painter(&m_waveform);
    const int w = width();
    const int h = height();
    painter.setPen(SecondTick);
    for (qint64 second = (m_window.startMs + 999) / 1000; second * 1000 < m_window.endMs(); ++second) {
        const int x = xOf(second * 1000);
        painter.drawLine(x, h - 6, x, h - 1);
    }
    m_drawnBlocks = m_peaks ? m_peaks->readyBlocks() : 0;
    if (!m_peaks || m_peaks->sampleRate() <= 0)
        return;
    const double framesPerMs = m_peaks->sampleRate() / 1000.0;
    const double mid = h / 2.0;
    const double scale = (h - 12) / 2.0;
    painter.setPen(WaveColour);
    for (int x = 0; x < w; ++x) {
        const auto begin = static_cast<std::int64_t>(m_window.msAt(x, w) * framesPerMs);
        const auto end = static_cast<std::int64_t>(m_window.msAt(x + 1, w) * framesPerMs);
        const WaveformPeaks::Peak peak = m_peaks->range(begin, std::max(end, begin + 1));
        const double high = std::clamp(peak.high, -1.0f, 1.0f);
        const double low = std::clamp(peak.low, -1.0f, 1.0f);
        painter.drawLine(x, static_cast<int>(mid - high * scale), x, static_cast<int>(mid - low * scale));
    }
}

void TimelinePanel::paintEvent(QPaintEvent*)
{
    if (m_waveform.isNull() || m_waveform.size() != size())
        renderWaveform();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_waveform);
    paintMarkers(painter);
    painter.setPen(PositionColour);
    const int x = xOf(m_positionMs);
    painter.drawLine(x, 0, x, height());
}

void TimelinePanel::paintMarkers(QPainter& painter)
{
    const int currentLine = m_links.document.row() - 1;
    const QFontMetrics metrics = painter.fontMetrics();
    // Each text ends where the next marker begins.
    const auto draw = [&](int line, qint64 ms, const QString& text, int nextX) {
        const int x = xOf(ms);
        const bool current = line == currentLine;
        painter.setPen(QPen(current ? CurrentMarkerColour : MarkerColour, current ? 2 : 1));
        painter.drawLine(x, 0, x, height());
        const int room = std::min(MarkerTextWidth, nextX - x - 5);
        if (room > metrics.horizontalAdvance(u'…'))
            painter.drawText(x + 3, metrics.ascent() + 2, metrics.elidedText(text, Qt::ElideRight, room));
    };
    const std::vector<TagMarker>& all = markers();
    // Markers that start just left of the page still show their text.
    const qint64 from = m_window.startMs - m_window.widthMs * MarkerTextWidth / std::max(width(), 1);
    auto it = std::lower_bound(all.begin(), all.end(), from, [](const TagMarker& m, qint64 ms) { return m.ms < ms; });
    for (; it != all.end() && it->ms <= m_window.endMs(); ++it) {
        if (it->line == m_dragLine)
            continue;
        auto next = std::next(it);
        while (next != all.end() && next->line == m_dragLine)
            ++next;
        draw(it->line, it->ms, it->text, next != all.end() ? xOf(next->ms) : width() + MarkerTextWidth);
    }
    if (m_dragLine >= 0) {
        const auto held = std::find_if(all.begin(), all.end(), [&](const TagMarker& m) { return m.line == m_dragLine; });
        draw(m_dragLine, m_dragMs, held != all.end() ? held->text : QString(), width() + MarkerTextWidth);
    }
}

int TimelinePanel::markerAt(int x)
{
    int found = -1;
    int nearest = MarkerGrip + 1;
    for (const TagMarker& marker : markers()) {
        if (marker.ms < m_window.startMs - m_window.widthMs || marker.ms > m_window.endMs() + m_window.widthMs)
            continue;
        const int distance = std::abs(xOf(marker.ms) - x);
        if (distance < nearest) {
            nearest = distance;
            found = marker.line;
        }
    }
    return found;
}

void TimelinePanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragLine = markerAt(event->position().toPoint().x());
    m_dragMoved = false;
    if (m_dragLine >= 0) {
        const auto& all = markers();
        const auto held = std::find_if(all.begin(), all.end(), [&](const TagMarker& m) { return m.line == m_dragLine; });
        m_dragMs = held->ms;
    }
}

void TimelinePanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragLine < 0)
        return;
    const qint64 ms = m_window.msAt(event->position().x(), width()) / 10 * 10;
    if (ms != m_dragMs) {
        m_dragMs = ms;
        m_dragMoved = true;
        update();
    }
}

void TimelinePanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int line = std::exchange(m_dragLine, -1);
    if (line >= 0 && m_dragMoved) {
        m_links.document.moveTag(line, m_dragMs / 10);
        update();
        return;
    }
    const qint64 ms = m_window.msAt(event->position().x(), width());
    m_links.engine.vbmp3_seek(static_cast<std::int32_t>(ms / 1000));
    refreshPosition();
    update();
}

void TimelinePanel::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        zoom(steps);
    event->accept();
}

void TimelinePanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startScan();
    refreshPosition();
    if (m_links.playClock.isActive())
        m_frameTimer.start();
}

void TimelinePanel::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_frameTimer.stop();
}

void TimelinePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_waveform = QPixmap();
}

}  // namespace lyricue
