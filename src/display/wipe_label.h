#pragma once

#include <QLabel>

#include <optional>

namespace lyricue {

// A lyric label that shows the sung part of its text in the wipe colour, from the left
// up to a point inside a character; the rest in its own text colour.
class WipeLabel : public QLabel {
public:
    static constexpr QRgb WipeColour = 0x60E0FF;  // light blue, apart from the yellow of the current line

    explicit WipeLabel(QWidget* parent = nullptr);

    // How many characters of the text are sung (fractional inside one), or none for no
    // wipe. Repaints only when the wipe moves by a pixel or appears or goes.
    void setSungExtent(std::optional<double> characters);
    std::optional<double> sungExtent() const { return m_sungExtent; }
    // Where the sung part ends, in the label's x, within the text as laid out; none
    // without a wipe.
    std::optional<int> wipeX() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<double> m_sungExtent;
};

}  // namespace lyricue
