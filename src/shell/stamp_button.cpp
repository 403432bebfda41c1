#include "shell/stamp_button.h"

#include "shell/input_event_age.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace lyricue {

StampButton::StampButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void StampButton::notePress(bool wasDown, quint64 timestamp)
{
    // Only the press that put the button down counts: not a key's auto-repeat, nor a
    // mouse press while the key holds it down.
    if (wasDown || !isDown() || !m_positionAgo)
        return;
    m_pressedAtMs = m_positionAgo(inputEventAgeMs(timestamp));
}

void StampButton::endPress()
{
    // The click, if the release made one, has been handled; a press that was cancelled
    // (the mouse dragged off the button) stamps nothing and leaves nothing behind.
    if (!isDown())
        m_pressedAtMs.reset();
}

void StampButton::keyPressEvent(QKeyEvent* event)
{
    const bool wasDown = isDown();
    QPushButton::keyPressEvent(event);
    notePress(wasDown, event->timestamp());
}

void StampButton::keyReleaseEvent(QKeyEvent* event)
{
    QPushButton::keyReleaseEvent(event);
    endPress();
}

void StampButton::mousePressEvent(QMouseEvent* event)
{
    const bool wasDown = isDown();
    QPushButton::mousePressEvent(event);
    notePress(wasDown, event->timestamp());
}

void StampButton::mouseReleaseEvent(QMouseEvent* event)
{
    QPushButton::mouseReleaseEvent(event);
    endPress();
}

void StampButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    endPress();
}

}  // namespace lyricue
