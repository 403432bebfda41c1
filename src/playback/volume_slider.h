#pragma once

#include <QSlider>

namespace lyricue {

class AudioEngine;

// The volume slider Slider1: starts at the engine's volume and sends its value to
// both channels when the user clicks it with the mouse; other changes send nothing.
class VolumeSlider : public QSlider {
    Q_OBJECT
public:
    VolumeSlider(AudioEngine& engine, QWidget* parent = nullptr);

    // Start-up: range 0 to 100 in steps of 1, value from the engine's two channels.
    void setUpFromEngine();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Slider1_Click();

    AudioEngine& m_engine;
    bool m_pressed = false;
};

}  // namespace lyricue
