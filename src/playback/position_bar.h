#pragma once

#include <QObject>

class QScrollBar;

namespace lyricue {

class AudioEngine;

// Keeps the position bar timebar on the engine's position (in whole seconds) and
// seeks while the user drags its thumb.
class PositionBar : public QObject {
    Q_OBJECT
public:
    PositionBar(QScrollBar& bar, AudioEngine& engine, QObject* parent = nullptr);

    // The state timer's tick: the engine's position, clamped into the bar's range.
    void Timer2_Timer();

private:
    // A move of the thumb by the user's drag; arrow and track clicks, the end of a
    // drag and values set by the state timer are changes, which never seek.
    void timebar_Scroll(int position);

    QScrollBar& m_bar;
    AudioEngine& m_engine;
    bool m_followingEngine = false;
};

}  // namespace lyricue
