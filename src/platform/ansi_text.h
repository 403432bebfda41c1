#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// Reading and writing the program's text files: CP932 (Shift_JIS) unless the file
// is UTF-8, lines ended by CR LF on writing.

enum class TextEncoding { Cp932, Utf8, Utf8WithBom };

// Result of an encoding: the bytes, or an error naming the first character the
// encoding cannot hold. errorOffset is that character's index in the input.
struct EncodeResult {
    QByteArray bytes;
    QString error;
    qsizetype errorOffset = -1;
    bool ok() const { return error.isEmpty(); }
};

// CP932 bytes to text. Bytes that are not valid CP932 become lone surrogates
// U+DC80..U+DCFF so that encodeCp932 gives them back unchanged.
QString decodeCp932(QByteArrayView bytes);
// Text to CP932 bytes; lone surrogates U+DC80..U+DCFF become their original bytes.
EncodeResult encodeCp932(QStringView text);
// encodeCp932 into the end of `out`: -1 when all of the text was encoded, otherwise
// the index of the first character CP932 cannot hold, with `out` left as it was.
qsizetype appendCp932(QByteArray& out, QStringView text);

// Text to CP932 bytes for display only (engine records): lone surrogates U+DC80..U+DCFF
// become their original bytes, any other character CP932 cannot hold becomes 〓 (81 AC).
QByteArray encodeCp932ForDisplay(QStringView text);

// UTF-8 when the bytes start with a UTF-8 byte-order mark, or are valid UTF-8 and
// hold at least one non-ASCII byte; CP932 otherwise.
TextEncoding detectEncoding(QByteArrayView bytes);
// Decodes with the given encoding; a byte-order mark is dropped.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);
// Encodes with the given encoding; Utf8WithBom puts the mark in front.
EncodeResult encodeText(QStringView text, TextEncoding encoding);
// encodeText into the end of `out`, with no byte-order mark: -1 when all of the text
// was encoded, otherwise the index of the first character the encoding cannot hold,
// with `out` left as it was.
qsizetype appendEncodedText(QByteArray& out, QStringView text, TextEncoding encoding);
// The encoding's name in messages: "Shift_JIS (CP932)" or "UTF-8".
QString encodingName(TextEncoding encoding);

// Splits text into lines: a line ends at CR LF, a lone CR or a lone LF; the last
// line may lack its end (a text ending in a line end gives no extra empty line);
// each line is cut at its first NUL.
QStringList splitLines(QStringView text);

struct TextFileContent {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Cp932;
    QString error;  // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads a whole text file into lines.
TextFileContent readTextLines(const QString& path);

// Writes the lines, each followed by CR LF, replacing the file atomically: on any
// failure the old file is untouched. Returns an empty text on success, otherwise
// a message naming the file and the reason (for a character the encoding cannot
// hold, the character and its 1-based line number).
QString writeTextLines(const QString& path, const QStringList& lines, TextEncoding encoding);
// The same for `count` lines handed over one at a time: lineAt(i, scratch) gives line i,
// built in `scratch` when it is not held anywhere, so no list of all lines is needed.
using TextLineSource = std::function<QStringView(qsizetype index, QString& scratch)>;
QString writeTextLines(const QString& path, qsizetype count, const TextLineSource& lineAt, TextEncoding encoding);
