// detectEncoding and decodeDetected (declared in ansi_text.h): the rule is described there.
#include "ansi_text.h"
#include "byte_escape.h"
#include "unicode_codecs.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstring>

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

bool isAsciiLetter(QChar ch)
{
    return ch.unicode() < 0x80 && ch.isLetter();
}

// True when no byte of the CP932 reading is carried as an escape.
bool isCleanCp932(QByteArrayView bytes)
{
    return byte_escape::firstIn(decodeCp932(bytes)) < 0;
}

// Text of two-byte UTF-8 sequences that reads as European words: every non-ASCII
// character is from Latin-1 or Latin Extended-A (U+00A0..U+017F), and one of them
// stands next to an ASCII letter. Half-width katakana read as UTF-8 give IPA, Greek,
// Cyrillic, Hebrew or Arabic letters, or Latin ones standing among other such.
bool readsAsEuropeanWords(const QString& text)
{
    bool besideAsciiLetter = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < 0x80)
            continue;
        if (ch < 0xA0 || ch > 0x17F)
            return false;
        besideAsciiLetter = besideAsciiLetter || (i > 0 && isAsciiLetter(text[i - 1]))
                            || (i + 1 < text.size() && isAsciiLetter(text[i + 1]));
    }
    return besideAsciiLetter;
}

TextEncoding encodingOfShape(QByteArrayView bytes, const Utf8Shape& shape)
{
    if (shape.nonAsciiBytes == 0)
        return TextEncoding::Cp932;
    if (shape.strayBytes > 0)
        return shape.strayBytes * 2 < shape.longSequences ? TextEncoding::Utf8 : TextEncoding::Cp932;
    if (shape.longSequences > 0 || !isCleanCp932(bytes))
        return TextEncoding::Utf8;
    return readsAsEuropeanWords(decodeUtf8(bytes)) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

}  // namespace

DecodedText decodeDetected(QByteArrayView bytes)
{
    for (const TextEncoding marked : {TextEncoding::Utf8WithBom, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        if (bytes.startsWith(byteOrderMark(marked)))
            return {marked, decodeText(bytes, marked)};
    }
    // A file that starts as UTF-8 is decoded as such at once; the whole look is only
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
    const TextEncoding encoding = encodingOfShape(bytes, shape);
    return {encoding, decodeText(bytes, encoding)};
}

TextEncoding detectEncoding(QByteArrayView bytes)
{
    return decodeDetected(bytes).encoding;
}
