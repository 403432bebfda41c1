#include "tag_mover.h"

#include "document/lyrics_document.h"
#include "play_time_text.h"

#include <algorithm>

void moveTag(LyricsDocument& document, int line, qint64 hundredths)
{
    const qint64 ms = std::clamp<qint64>(hundredths, 0, INT32_MAX / 10) * 10;
    document.setTag(line, u'[' + playTimeTextForMs(static_cast<std::int32_t>(ms)) + u']',
                    QStringLiteral("マーカーの移動"));
}
