#include "playback/volume_slider.h"

#include "audio/audio_engine.h"

#include <QMouseEvent>

namespace lyricue {

VolumeSlider::VolumeSlider(AudioEngine& engine, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_engine(engine)
{
}

void VolumeSlider::setUpFromEngine()
{
    setMaximum(100);
    setMinimum(0);
    setPageStep(1);
    setSingleStep(1);
    std::int32_t left = 0;
    std::int32_t right = 0;
    m_engine.vbmp3_getVolume(left, right);
    setValue(static_cast<int>((static_cast<std::int64_t>(left) + right) / 2));
}

void VolumeSlider::mousePressEvent(QMouseEvent* event)
{
    QSlider::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton;
}

void VolumeSlider::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    // A click is a press and a release of the button on the slider; the value is read
    // after the slider has handled the release.
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        Slider1_Click();
}

void VolumeSlider::Slider1_Click()
{
    const int volume = value();
    m_engine.vbmp3_setVolume(volume, volume);
}

}  // namespace lyricue
