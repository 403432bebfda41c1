#pragma once

#include <QPushButton>

#include <cstdint>
#include <functional>
#include <optional>

namespace lyricue {

// The "Time Input" button. It stamps when it is released, as every push button clicks,
// but the time it stamps is the play position at the moment the key or mouse button
// went down: how long the user holds the key adds nothing to the tag, and the
// calibration, which measures key presses, holds for the stamps too.
class StampButton : public QPushButton {
    Q_OBJECT
public:
    // The play position, in ms, `agoMs` before now.
    using PositionAgo = std::function<std::int32_t(qint64 agoMs)>;

    StampButton(const QString& text, QWidget* parent);
    void setPositionAgo(PositionAgo positionAgo) { m_positionAgo = std::move(positionAgo); }

    // The position at which the press now ending went down; none for a click that came
    // without one (a click made by the program).
    std::optional<std::int32_t> pressedAtMs() const { return m_pressedAtMs; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void notePress(bool wasDown, quint64 timestamp);
    void endPress();

    PositionAgo m_positionAgo;
    std::optional<std::int32_t> m_pressedAtMs;
};

}  // namespace lyricue
