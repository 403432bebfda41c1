#include "display/lyrics_labels.h"

#include "audio/audio_engine.h"
#include "text/cut_at_nul.h"
#include "display/lyrics_display.h"
#include "display/wipe_label.h"

#include <QLabel>
#include <QPalette>

namespace lyricue {

LyricsDisplay::LyricsDisplay(AudioEngine& engine, const std::array<QLabel*, 5>& labels)
    : m_engine(engine), m_labels(labels)
{
}

void LyricsDisplay::RefreshLyricsLabels()
{
    LyricsLinesRecord record{};
    m_engine.vbmp3_getLyrics(record);
    const std::array<QString, 5> texts = lyricsLabelTexts(record);
    for (std::size_t label = 0; label < texts.size(); ++label)
        m_labels[label]->setText(texts[label]);

    // The middle line's sung part, when its label can show one.
    if (auto* wipe = dynamic_cast<WipeLabel*>(m_labels[2]))
        wipe->setSungExtent(m_engine.lyricsSungExtent());

    // Never set back: once highlighted, the middle label stays yellow.
    if (isHighlightedLine(texts[2])) {
        QPalette palette = m_labels[2]->palette();
        palette.setColor(QPalette::WindowText, QColor(HighlightColour));
        m_labels[2]->setPalette(palette);
    }
}

bool isHighlightedLine(const QString& line)
{
    // The ideographic space counts as a space too: a line of full-width spaces shows
    // nothing, so there is nothing to point at.
    const QString text = CutAtNul(line);
    for (const QChar c : text) {
        if (c != u' ' && c != u'\u3000')
            return true;
    }
    return false;
}

}  // namespace lyricue
