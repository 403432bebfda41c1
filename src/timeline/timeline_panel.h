#pragma once

#include "audio/peak_scan.h"
#include "document/lyrics_document.h"
#include "timeline/tag_markers.h"
#include "timeline/time_window.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace lyricue {

class AudioEngine;

// What the timeline works with: the engine for the play position and seeks, the
// document for the tags, the current row and the moves of dragged markers, and the play
// clock telling whether music plays.
struct TimelineLinks {
    AudioEngine& engine;
    LyricsDocument& document;
    const QTimer& playClock;
    PeakScan::DecoderOpener openDecoder;
};

// The waveform of the open track over a span around the play position, with the play
// position as a line and each tagged line as a marker, with a small mark in the lower
// band for each timed segment after a line's first. A click seeks; dragging a marker
// moves its line's tag, dragging a segment mark its segment's time (held between its
// neighbours); a click on a segment mark selects that segment; the wheel zooms.
class TimelinePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int PanelHeight = 150;

    TimelinePanel(TimelineLinks links, int width, QWidget* parent = nullptr);
    ~TimelinePanel() override;

    // A new track: the old track's peaks computation is cancelled, the new one starts
    // (at once if the panel is shown, else when it is next shown).
    void setTrack(const QString& path);
    // The peaks computation of the track shown; none before a track.
    const PeakScan* scan() const { return m_scan.get(); }
    const TimeWindow& timeWindow() const { return m_window; }
    void zoomIn();
    void zoomOut();
    // The state timer's tick: follows seeks and drags of the position bar while not playing.
    void stateTick();
    // The play clock's tick: music plays, so the frame timer runs while the panel is shown.
    void playTick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startScan();
    void pollPeaks();
    void frame();
    void refreshPosition();
    void zoom(int steps);
    void renderWaveform();
    void paintMarkers(QPainter& painter);
    void paintSegmentMarks(QPainter& painter);
    const std::vector<TagMarker>& markers();
    // The line marker or segment mark under a point, within a few pixels: segment marks
    // in the lower band, where they are drawn, line markers anywhere; none when no mark
    // is there.
    std::optional<SegmentRef> markAt(QPoint at);
    // The times a segment's mark may take: between the timed segments around it.
    std::pair<qint64, qint64> segmentBounds(SegmentRef segment) const;
    int xOf(qint64 ms) const;

    TimelineLinks m_links;
    QString m_trackPath;
    std::unique_ptr<PeakScan> m_scan;
    std::vector<std::unique_ptr<PeakScan>> m_cancelledScans;  // joined once they stop
    std::shared_ptr<const WaveformPeaks> m_peaks;
    std::int64_t m_drawnBlocks = -1;
    QTimer m_peaksTimer;  // while peaks arrive
    QTimer m_frameTimer;  // while shown and playing

    TimeWindow m_window;
    qint64 m_positionMs = 0;
    QPixmap m_waveform;  // the page's waveform; null when it must be drawn again

    std::vector<TagMarker> m_markers;
    bool m_markersStale = true;

    int m_dragLine = -1;  // the line whose marker or segment mark is held
    int m_dragSegment = 0;  // 0 for the line's marker
    std::pair<qint64, qint64> m_dragBounds;  // of a held segment mark
    qint64 m_dragMs = 0;
    bool m_dragMoved = false;
};

}  // namespace lyricue
