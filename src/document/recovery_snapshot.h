#pragma once

#include "document/lyrics_document.h"
#include "base/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <array>

namespace lyricue {

// Everything the user has put into the sheet and would lose to a crash: the lines with
// their file, encoding and LRC headers, the header texts, LyricsPath, TrackPath, StampRow
// and the current row, and when the lines last changed.
struct RecoverySnapshot {
    std::array<QString, 2> header;
    LyricsContent content;  // LyricsPath and the stamp cursor included
    QString trackPath;
    QDateTime changedAt;
};

// A snapshot of the document, but for when it last changed. Cheap: the texts are shared with the document
// until it changes them.
RecoverySnapshot snapshotOf(const LyricsDocument& document);

// The bytes of a recovery copy: a mark, the format's version, the length and a
// checksum of what follows, then every text as its UTF-16 code units, so that carried
// bytes (lone surrogates) come back exactly.
QByteArray recoveryBytes(const RecoverySnapshot& snapshot);
// The snapshot in a recovery copy's bytes; a damaged or foreign copy fails with the
// reason in Japanese.
ResultOf<RecoverySnapshot> recoverySnapshotOf(QByteArrayView bytes);

}  // namespace lyricue
