#pragma once

#include "calibration/click_track.h"
#include "calibration/tap_analysis.h"

#include <QDialog>
#include <QTimer>

#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace lyricue {

class CuePlayer;

// "タイミング補正": plays the click through the music's output, times each Space press
// against it, and offers the median delay as the stamp offset, which can also be typed; a
// run whose taps do not follow the clicks leaves the offset as it was.
class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    CalibrationDialog(CuePlayer& player, int offsetMs, QWidget* parent = nullptr);
    ~CalibrationDialog() override;

    // The offset the dialog holds: measured, typed or reset.
    int offsetMs() const;
    // The median of the last run's kept taps, unrounded; nothing for a refused run.
    std::optional<double> measuredMs() const { return m_analysis.medianMs; }
    bool isRunning() const { return m_running; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startRun();
    void tap();
    void poll();
    void finishRun();
    void showAnalysis();

    CuePlayer& m_player;
    ClickTrack::Beat m_beat;
    std::vector<double> m_clicksMs;
    std::vector<double> m_tapsMs;
    TapAnalysis m_analysis;
    bool m_running = false;
    bool m_finished = false;  // a run has ended; its analysis stands until the next starts
    QTimer m_poll;

    QPushButton* m_start;
    QLabel* m_status;
    QListWidget* m_taps;
    QLabel* m_result;
    QSpinBox* m_offset;
};

}  // namespace lyricue
