// UTF-8 decoding and encoding (declared in unicode_codecs.h).
#include "text/byte_escape.h"
#include "text/unicode_codecs.h"

#include <QStringDecoder>

namespace lyricue {

namespace {

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

// Well-formed UTF-8 to text. QString::fromUtf8 would drop a leading U+FEFF; here it is
// text (a second mark after the file's own, or one after a stray byte) and is kept.
QString fromWellFormedUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

}  // namespace

qsizetype utf8SequenceLength(const unsigned char* bytes, qsizetype size, qsizetype at)
{
    const unsigned char lead = bytes[at];
    const qsizetype left = size - at;
    if (lead < 0x80)
        return 1;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    qsizetype length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < length || !isContinuation(bytes[at + 1], low, high))
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (!isContinuation(bytes[at + k]))
            return 0;
    }
    return length;
}


QString decodeUtf8(QByteArrayView bytes)
{
    // Qt's decoder is fast and flags what is no well-formed UTF-8; only then is
    // each stray byte found and carried.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString wellFormed = decoder.decode(bytes);
    if (!decoder.hasError())
        return wellFormed;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString text;
    bool carried = false;
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype length = data[i] < 0x80 ? 1 : utf8SequenceLength(data, size, i);
        if (length > 0) {
            i += length;
            continue;
        }
        if (!carried) {
            text.reserve(size);
            carried = true;
        }
        text.append(fromWellFormedUtf8(bytes.sliced(runStart, i - runStart)));
        text.append(QChar(byte_escape::of(data[i])));
        runStart = ++i;
    }
    if (!carried)
        return fromWellFormedUtf8(bytes);
    text.append(fromWellFormedUtf8(bytes.sliced(runStart)));
    return text;
}

qsizetype appendUtf8(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    const qsizetype size = text.size();
    const char16_t* in = text.utf16();
    // At most three bytes per UTF-16 unit; the unused room is cut off at the end.
    out.resize(start + size * 3);
    auto* bytes = reinterpret_cast<unsigned char*>(out.data() + start);
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = in[i];
        if (unit < 0x80) {
            bytes[written++] = static_cast<unsigned char>(unit);
        } else if (unit < 0x800) {
            bytes[written++] = static_cast<unsigned char>(0xC0 | unit >> 6);
            bytes[written++] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else if (!QChar::isSurrogate(unit)) {
            bytes[written++] = static_cast<unsigned char>(0xE0 | unit >> 12);
            bytes[written++] = static_cast<unsigned char>(0x80 | (unit >> 6 & 0x3F));
            bytes[written++] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t codePoint = QChar::surrogateToUcs4(unit, in[++i]);
            bytes[written++] = static_cast<unsigned char>(0xF0 | codePoint >> 18);
            bytes[written++] = static_cast<unsigned char>(0x80 | (codePoint >> 12 & 0x3F));
            bytes[written++] = static_cast<unsigned char>(0x80 | (codePoint >> 6 & 0x3F));
            bytes[written++] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        } else if (byte_escape::inRange(unit) && byte_escape::byteOf(unit) >= 0x80) {
            bytes[written++] = byte_escape::byteOf(unit);
        } else {
            // A lone surrogate of its own, or a carried byte below 0x80, which came
            // from UTF-16 and would be read back here as ASCII.
            out.truncate(start);
            return i;
        }
    }
    out.truncate(start + written);
    return -1;
}

}  // namespace lyricue
