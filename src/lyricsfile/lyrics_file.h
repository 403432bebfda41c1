#pragma once

#include "base/result.h"
#include "document/lyrics_document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace lyricue {

// The tag line 0 gets when a load gives it none: stamping starts there.
inline const QString StartTag = QStringLiteral("[00:00:00]");

// Refuses more lines than a sheet holds, with a message naming the file.
Result checkLineCount(const QString& path, qsizetype lineCount);

// The content of a load: one line per text with its tag (as many tags, an empty
// one for a line without), LineCount the number of texts. No text gives the sheet
// of an empty load: one line row with StartTag and an empty text, LineCount 0.
LyricsContent lyricsContentOf(QStringList tags, QStringList texts);

// The content of a lyrics file's bytes, with no file: the encoding detected, each line's
// time tag split from its text. More lines than the sheet holds fails with a message
// naming `path`.
ResultOf<LyricsContent> lyricsContentOfBytes(QByteArrayView bytes, const QString& path);

// The lyrics file at `path` read: its content with sourcePath and LyricsPath `path`; a
// file that cannot be read or holds too many lines fails with a message naming it.
ResultOf<LyricsContent> readLyricsFile(const QString& path);

// Writes lines 0 to LineCount - 1 of the document, tag directly followed by text, to
// `path` in the encoding of the loaded file, each line ended by CR LF. The file is
// replaced only when everything could be written. A failure names the file and the
// reason, or the line and the character the encoding cannot hold.
Result WriteLyricsFile(const LyricsDocument& document, const QString& path);

// The bytes WriteLyricsFile writes for the document, with no file: a failure names the
// line and the character the encoding cannot hold.
ResultOf<QByteArray> lyricsFileBytes(const LyricsDocument& document);

}  // namespace lyricue
