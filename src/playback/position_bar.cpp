#include "playback/position_bar.h"

#include "audio/audio_engine.h"

#include <QScrollBar>

#include <algorithm>

namespace lyricue {

PositionBar::PositionBar(QScrollBar& bar, AudioEngine& engine, QObject* parent)
    : QObject(parent), m_bar(bar), m_engine(engine)
{
    // sliderMoved comes only while the thumb is held down; it also comes when the
    // program sets the value during a drag, which m_followingEngine filters out.
    connect(&m_bar, &QScrollBar::sliderMoved, this, &PositionBar::timebar_Scroll);
}

void PositionBar::Timer2_Timer()
{
    std::int32_t seconds = 0;
    m_engine.vbmp3_getState(seconds);
    const int value = std::clamp<int>(seconds, m_bar.minimum(), m_bar.maximum());
    m_followingEngine = true;
    m_bar.setValue(value);
    m_followingEngine = false;
}

void PositionBar::timebar_Scroll(int position)
{
    if (m_followingEngine)
        return;
    m_engine.vbmp3_seek(position);
}

}  // namespace lyricue
