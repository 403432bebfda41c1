#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lyricue {

// The UTF-8 and UTF-16 codecs behind decodeText and appendEncodedText (ansi_text.h),
// and the UTF-8 sequence rule the encoding detection uses. Bytes that are no valid
// text are carried as U+DC00 + byte (byte_escape.h).

// Length of the well-formed UTF-8 sequence at `at` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none.
qsizetype utf8SequenceLength(const unsigned char* bytes, qsizetype size, qsizetype at);

// UTF-8 to text (no byte-order mark is dropped: that is the caller's business).
QString decodeUtf8(QByteArrayView bytes);
// Text to UTF-8 at the end of `out`; -1, or the index of the first unit UTF-8 cannot
// carry (a lone surrogate that is no carried byte of 0x80 or more), `out` unchanged.
qsizetype appendUtf8(QByteArray& out, QStringView text);

// UTF-16 (no mark) to text: a lone surrogate unit becomes its two bytes, carried;
// an odd last byte is carried too.
QString decodeUtf16(QByteArrayView bytes, bool bigEndian);
// Text to UTF-16 at the end of `out`; carried bytes go out as they came in. -1, or
// the index of the first unit UTF-16 cannot carry (a lone surrogate that is no
// carried byte, or the unpaired last byte of an odd run that does not end the text).
qsizetype appendUtf16(QByteArray& out, QStringView text, bool bigEndian);

}  // namespace lyricue
