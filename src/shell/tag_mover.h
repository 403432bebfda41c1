#pragma once

#include <QtGlobal>

namespace lyricue {

class LyricsDocument;

// Sets a line's tag to "[mm:ss:xx]" for a time in hundredths (0 at the least), as one
// undo step: the one road by which the timeline's dragged marker changes a tag.
void moveTag(LyricsDocument& document, int line, qint64 hundredths);

}  // namespace lyricue
