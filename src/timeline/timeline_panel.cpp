#include "timeline/timeline_panel.h"

#include "audio/audio_engine.h"
#include "document/lyrics_document.h"

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace lyricue {

namespace {

constexpr int FrameIntervalMs = 33;
constexpr int PeaksPollMs = 100;
constexpr int MarkerGrip = 4;  // pixels either side of a marker that take hold of it
constexpr int MarkerTextWidth = 90;
constexpr int SegmentBand = 24;  // the lower band, where segment marks are drawn and taken

const QColor Background(24, 28, 36);
const QColor WaveColour(96, 176, 224);
const QColor SecondTick(70, 76, 90);
const QColor MarkerColour(224, 200, 96);
const QColor CurrentMarkerColour(255, 110, 64);
const QColor SegmentColour(160, 224, 128);
const QColor SelectedSegmentColour(255, 160, 224);
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
    paintSegmentMarks(painter);
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
    const int heldLine = m_dragSegment == 0 ? m_dragLine : -1;
    for (; it != all.end() && it->ms <= m_window.endMs(); ++it) {
        if (it->line == heldLine)
            continue;
        auto next = std::next(it);
        while (next != all.end() && next->line == heldLine)
            ++next;
        draw(it->line, it->ms, it->text, next != all.end() ? xOf(next->ms) : width() + MarkerTextWidth);
    }
    if (heldLine >= 0) {
        const auto held = std::find_if(all.begin(), all.end(), [&](const TagMarker& m) { return m.line == m_dragLine; });
        draw(m_dragLine, m_dragMs, held != all.end() ? held->text : QString(), width() + MarkerTextWidth);
    }
}

void TimelinePanel::paintSegmentMarks(QPainter& painter)
{
    const SegmentRef selected = m_links.document.selectedSegment();
    const int top = height() - SegmentBand;
    const auto draw = [&](SegmentRef segment, qint64 ms) {
        const int x = xOf(ms);
        const QColor colour = segment == selected ? SelectedSegmentColour : SegmentColour;
        painter.setPen(QPen(colour, 1));
        painter.drawLine(x, top, x, height());
        painter.setBrush(colour);
        const QPoint tip[] = {QPoint(x, top + 6), QPoint(x - 4, top), QPoint(x + 4, top)};
        painter.drawPolygon(tip, 3);
    };
    for (const TagMarker& marker : markers()) {
        for (const SegmentMark& mark : marker.segments) {
            const SegmentRef segment{marker.line, mark.segment};
            const bool held = m_dragSegment > 0 && segment == SegmentRef{m_dragLine, m_dragSegment};
            if (!held && mark.ms >= m_window.startMs && mark.ms <= m_window.endMs())
                draw(segment, mark.ms);
        }
    }
    if (m_dragSegment > 0 && m_dragLine >= 0)
        draw({m_dragLine, m_dragSegment}, m_dragMs);
    painter.setBrush(Qt::NoBrush);
}

std::optional<SegmentRef> TimelinePanel::markAt(QPoint at)
{
    const auto near = [&](qint64 ms) {
        return ms >= m_window.startMs - m_window.widthMs && ms <= m_window.endMs() + m_window.widthMs;
    };
    std::optional<SegmentRef> found;
    int nearest = MarkerGrip + 1;
    const auto consider = [&](SegmentRef mark, qint64 ms) {
        if (!near(ms))
            return;
        const int distance = std::abs(xOf(ms) - at.x());
        if (distance < nearest) {
            nearest = distance;
            found = mark;
        }
    };
    if (at.y() >= height() - SegmentBand) {
        for (const TagMarker& marker : markers()) {
            for (const SegmentMark& mark : marker.segments)
                consider({marker.line, mark.segment}, mark.ms);
        }
        if (found)
            return found;
    }
    for (const TagMarker& marker : markers())
        consider({marker.line, 0}, marker.ms);
    return found;
}

std::pair<qint64, qint64> TimelinePanel::segmentBounds(SegmentRef segment) const
{
    const auto [lowest, highest] = m_links.document.segmentRoom(segment);
    return {lowest, std::max(lowest, highest)};
}

void TimelinePanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragLine = -1;
    m_dragSegment = 0;
    m_dragMoved = false;
    const std::optional<SegmentRef> mark = markAt(event->position().toPoint());
    if (!mark)
        return;
    m_dragLine = mark->line;
    m_dragSegment = mark->segment;
    const auto& all = markers();
    const auto held = std::find_if(all.begin(), all.end(), [&](const TagMarker& m) { return m.line == m_dragLine; });
    m_dragMs = held->ms;
    if (m_dragSegment > 0) {
        for (const SegmentMark& segment : held->segments) {
            if (segment.segment == m_dragSegment)
                m_dragMs = segment.ms;
        }
        m_dragBounds = segmentBounds(*mark);
    }
}

void TimelinePanel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragLine < 0)
        return;
    qint64 ms = m_window.msAt(event->position().x(), width()) / 10 * 10;
    if (m_dragSegment > 0)
        ms = std::clamp(ms, m_dragBounds.first, m_dragBounds.second);
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
    const int segment = std::exchange(m_dragSegment, 0);
    if (line >= 0 && segment > 0) {
        if (m_dragMoved)
            m_links.document.moveSegment({line, segment}, m_dragMs);
        else
            m_links.document.selectSegment({line, segment});
        update();
        return;
    }
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
