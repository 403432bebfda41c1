#pragma once

#include "base/result.h"
#include "document/lyrics_document.h"

#include <QString>
#include <QStringList>

namespace lyricue {

// The LRC file at `path`, in any encoding the loader knows, as lyrics content (see
// parseLrc): its header lines kept in lrcHeaders for the export, its encoding. A file
// that cannot be read, holds no lyric line or more lines than the sheet takes fails
// with a message naming it.
ResultOf<LyricsContent> readLrcFile(const QString& path);

// Writes `headers`, then lines 0 to LineCount - 1 of the document as LRC lines
// (lrcLineOf), as UTF-8 without a mark, each line ended by CR LF, replacing the file
// only once all is written. A byte carried from its file as no text (a damaged
// byte, also of a UTF-8 file) has no UTF-8 form, and the sheet shows it as the
// replacement character: a lyric or header line holding one is refused, named by its
// sheet line number or header line number, and nothing is written.
Result WriteLrcFile(const QString& path, const QStringList& headers, const LyricsDocument& document);

}  // namespace lyricue
