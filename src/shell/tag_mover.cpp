#include "shell/tag_mover.h"

#include "document/lyrics_document.h"
#include "text/time_tag.h"

#include <algorithm>

namespace lyricue {

void moveTag(LyricsDocument& document, int line, qint64 hundredths)
{
    const qint64 ms = std::clamp<qint64>(hundredths, 0, time_tag::kLatestTagMs / 10) * 10;
    document.setTag(line, time_tag::format(ms), QStringLiteral("マーカーの移動"));
}

}  // namespace lyricue
