#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "base/result.h"

#include <functional>

namespace lyricue {

// Reading and writing the program's text files: CP932 (Shift_JIS), UTF-8 with or
// without a byte-order mark, or UTF-16 with its mark; lines ended by CR LF on writing.
// Bytes that are no valid text in the file's encoding are carried through as
// U+DC00 + byte (byte_escape.h), so a load and a save give them back unchanged.

// Utf16Le and Utf16Be always have their byte-order mark.
enum class TextEncoding { Cp932, Utf8, Utf8WithBom, Utf16Le, Utf16Be };

inline bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

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

// The encoding of a text file's bytes:
// - a byte-order mark says it: UTF-8, UTF-16 LE or UTF-16 BE;
// - no byte above 0x7F: CP932 (the bytes are the same either way);
// - well-formed UTF-8: UTF-8, unless every non-ASCII character of the CP932 reading is
//   a half-width katakana next to no ASCII letter or digit. CP932 text with kana or
//   kanji is almost never well-formed UTF-8, but half-width katakana can pair up as
//   two-byte sequences ("ﾋｰﾛｰ", "[01:00]ﾄｷﾒｷ"); UTF-8 accents read in CP932 stand inside
//   words or numbers ("café" as "caﾃｩ", "360°" as "360ﾂｰ") or give kanji or bytes that are
//   no CP932 (ș, ß, Hangul, Chinese);
// - UTF-8 with stray bytes: UTF-8 when its three- or four-byte sequences outnumber
//   the stray bytes two to one (a UTF-8 file with a damaged byte), CP932 otherwise;
//   both are counted up to the 16th stray byte.
// A wrong guess only shows the text wrongly: both readings carry every byte through.
TextEncoding detectEncoding(QByteArrayView bytes);
// The bytes decoded in the encoding detectEncoding finds, in one go: a file that is
// UTF-8 is not looked over twice.
struct DecodedText {
    TextEncoding encoding;
    QString text;
};
DecodedText decodeDetected(QByteArrayView bytes);
// The same rule for bytes that never carry a byte-order mark, such as the texts of a
// track's tags: CP932 or UTF-8 (a leading mark is then a character of the text).
DecodedText decodeUnmarked(QByteArrayView bytes);
// Decodes with the given encoding; a byte-order mark is dropped.
QString decodeText(QByteArrayView bytes, TextEncoding encoding);
// Encodes with the given encoding; Utf8WithBom and UTF-16 put the mark in front.
EncodeResult encodeText(QStringView text, TextEncoding encoding);
// encodeText into the end of `out`, with no byte-order mark: -1 when all of the text
// was encoded, otherwise the index of the first character the encoding cannot hold,
// with `out` left as it was. A carried byte below 0x80 (only UTF-16 has them) can
// only go back into UTF-16; in UTF-16 a run of carried bytes is even, except at the
// end of `text`, where an odd run is what an odd-length file ended with.
qsizetype appendEncodedText(QByteArray& out, QStringView text, TextEncoding encoding);
// The byte-order mark the encoding writes (empty for CP932 and UTF-8 without one).
QByteArray byteOrderMark(TextEncoding encoding);
// The encoding's name in messages: "Shift_JIS (CP932)", "UTF-8", "UTF-16 LE" or "UTF-16 BE".
QString encodingName(TextEncoding encoding);

// Splits text into lines: a line ends at CR LF, a lone CR or a lone LF; the last
// line may lack its end (a text ending in a line end gives no extra empty line);
// each line is cut at its first NUL.
QStringList splitLines(QStringView text);
// The same lines handed to `line` one by one, as views into `text`.
void forEachLine(QStringView text, const std::function<void(QStringView line)>& line);

struct TextFileContent {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Cp932;
};

// Reads a whole file's bytes. On failure the message names the file and the reason.
ResultOf<QByteArray> readFileBytes(const QString& path);
// Replaces the file at `path` with `bytes`, or leaves it as it was: the failure is the
// reason alone (no such folder, no permission, disk full ...), for the caller's message.
Result writeFileBytes(const QString& path, const QByteArray& bytes);
// Reads a whole text file into lines. On failure the message names the file and the reason.
ResultOf<TextFileContent> readTextLines(const QString& path);
// Reads a whole text file, decoded. On failure the message names the file and the reason.
ResultOf<DecodedText> readText(const QString& path);

// Writes the lines, each followed by CR LF, replacing the file atomically: on any
// failure the old file is untouched. On failure the message names the file and the
// reason (for a character the encoding cannot hold, the character and its 1-based
// line number). In UTF-16, a last line ending in an odd run of carried bytes gets
// no line end: those bytes ended an odd-length file.
Result writeTextLines(const QString& path, const QStringList& lines, TextEncoding encoding);
// The same for `count` lines handed over one at a time: lineAt(i, scratch) gives line i,
// built in `scratch` when it is not held anywhere, so no list of all lines is needed.
using TextLineSource = std::function<QStringView(qsizetype index, QString& scratch)>;
Result writeTextLines(const QString& path, qsizetype count, const TextLineSource& lineAt, TextEncoding encoding);
// The bytes writeTextLines writes, without a file: the mark, then each line and CR LF.
// A character the encoding cannot hold fails with its 1-based line number and the character.
ResultOf<QByteArray> encodeTextLines(qsizetype count, const TextLineSource& lineAt, TextEncoding encoding);

}  // namespace lyricue
