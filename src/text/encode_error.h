#pragma once

#include <QString>
#include <QStringView>

namespace lyricue {

// Message for a character that an encoding cannot hold: the character (when it can
// be shown) and its code point, e.g. 「😀」(U+1F600) は Shift_JIS (CP932) で表せない文字です.
// `offset` is the index of the character (or of its high surrogate) in `text`.
QString unencodableMessage(QStringView text, qsizetype offset, const QString& encodingName);

}  // namespace lyricue
