#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The UTF-8 and UTF-16 codecs behind decodeText and appendEncodedText (ansi_text.h),
// and what the encoding detection needs to know of UTF-8. Bytes that are no valid
// text are carried as U+DC00 + byte (byte_escape.h).

// What a look over bytes as UTF-8 finds.
struct Utf8Shape {
    qsizetype nonAsciiBytes = 0;
    qsizetype strayBytes = 0;         // bytes that start no well-formed sequence
    qsizetype twoByteSequences = 0;
    qsizetype longSequences = 0;      // three or four bytes
};
Utf8Shape utf8Shape(QByteArrayView bytes);

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
