// detectEncoding, decodeDetected and decodeUnmarked (declared in ansi_text.h): the rule is
// described there.
#include "text/ansi_text.h"
#include "text/unicode_codecs.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstring>

namespace lyricue {

namespace {

// What a look over bytes as UTF-8 finds.
struct Utf8Shape {
    qsizetype nonAsciiBytes = 0;
    qsizetype strayBytes = 0;     // bytes that start no well-formed sequence
    qsizetype longSequences = 0;  // three or four bytes
    bool cutShort = false;        // stopped at `enoughLong` long sequences and no stray byte
};

// The shape of the bytes up to the 16th stray byte (a CP932 file has them at once),
// or up to the `enoughLong`th long sequence if no stray byte came before it (a
// UTF-8 file).
Utf8Shape utf8Shape(QByteArrayView bytes, qsizetype enoughLong)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    Utf8Shape shape;
    qsizetype i = 0;
    while (i < size) {
        std::uint64_t eight = 0;
        if (i + 8 <= size) {
            std::memcpy(&eight, data + i, 8);
            if ((eight & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(data, size, i);
        if (length == 0) {
            ++shape.nonAsciiBytes;
            ++shape.strayBytes;
            ++i;
            if (shape.strayBytes == 16)
                break;
            continue;
        }
        shape.nonAsciiBytes += length;
        shape.longSequences += length > 2 ? 1 : 0;
        i += length;
        if (shape.longSequences >= enoughLong && shape.strayBytes == 0) {
            shape.cutShort = true;
            break;
        }
    }
    return shape;
}

bool isAsciiLetterOrDigit(QChar ch)
{
    return ch.unicode() < 0x80 && ch.isLetterOrNumber();
}

bool isHalfWidthKatakana(QChar ch)
{
    return ch.unicode() >= 0xFF61 && ch.unicode() <= 0xFF9F;
}

// True when every non-ASCII character of the CP932 reading is a half-width katakana
// that stands next to no ASCII letter or digit. Such katakana pair up as two-byte
// UTF-8 (ﾋｰﾛｰ reads as UTF-8 ˰۰); a UTF-8 word with an accent reads as katakana
// inside a Latin word (café as caﾃｩ), or as a kanji or a byte that is no CP932.
bool readsAsKatakanaApart(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80)
            continue;
        if (!isHalfWidthKatakana(text[i]))
            return false;
        const bool afterAlphanumeric = i > 0 && isAsciiLetterOrDigit(text[i - 1]);
        if (afterAlphanumeric || (i + 1 < text.size() && isAsciiLetterOrDigit(text[i + 1])))
            return false;
    }
    return true;
}

// The reading of bytes with no byte-order mark, by their UTF-8 shape.
DecodedText decodeByShape(QByteArrayView bytes, const Utf8Shape& shape)
{
    if (shape.strayBytes > 0 || shape.nonAsciiBytes == 0) {
        const TextEncoding encoding =
            shape.strayBytes * 2 < shape.longSequences ? TextEncoding::Utf8 : TextEncoding::Cp932;
        return {encoding, decodeText(bytes, encoding)};
    }
    QString cp932 = decodeCp932(bytes);
    if (readsAsKatakanaApart(cp932))
        return {TextEncoding::Cp932, std::move(cp932)};
    return {TextEncoding::Utf8, decodeUtf8(bytes)};
}

}  // namespace

DecodedText decodeUnmarked(QByteArrayView bytes)
{
    // Bytes that start as UTF-8 are decoded as such at once; the whole look is only
    // needed when that finds a stray byte.
    Utf8Shape shape = utf8Shape(bytes, 16);
    if (shape.cutShort) {
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return {TextEncoding::Utf8, std::move(text)};
        shape = utf8Shape(bytes, bytes.size() + 1);
    }
    return decodeByShape(bytes, shape);
}

DecodedText decodeDetected(QByteArrayView bytes)
{
    for (const TextEncoding marked : {TextEncoding::Utf8WithBom, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        if (bytes.startsWith(byteOrderMark(marked)))
            return {marked, decodeText(bytes, marked)};
    }
    return decodeUnmarked(bytes);
}

TextEncoding detectEncoding(QByteArrayView bytes)
{
    return decodeDetected(bytes).encoding;
}

}  // namespace lyricue
