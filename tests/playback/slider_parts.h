#pragma once

#include <QAbstractSlider>
#include <QRect>
#include <QStyle>
#include <QStyleOptionSlider>

namespace lyricue {

// Where a part of a scroll bar or slider is drawn, for aiming mouse clicks at it.
inline QRect sliderPart(const QAbstractSlider& slider, QStyle::ComplexControl control,
                        QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.subControls = QStyle::SC_All;
    option.orientation = slider.orientation();
    if (slider.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    option.singleStep = slider.singleStep();
    option.pageStep = slider.pageStep();
    option.upsideDown = slider.invertedAppearance();
    return slider.style()->subControlRect(control, &option, part, &slider);
}

inline QRect scrollBarThumb(const QAbstractSlider& bar)
{
    return sliderPart(bar, QStyle::CC_ScrollBar, QStyle::SC_ScrollBarSlider);
}

inline QRect scrollBarRightArrow(const QAbstractSlider& bar)
{
    return sliderPart(bar, QStyle::CC_ScrollBar, QStyle::SC_ScrollBarAddLine);
}

inline QRect sliderHandle(const QAbstractSlider& slider)
{
    return sliderPart(slider, QStyle::CC_Slider, QStyle::SC_SliderHandle);
}

}  // namespace lyricue
