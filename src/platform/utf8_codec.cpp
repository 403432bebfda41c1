// UTF-8 decoding and encoding (declared in unicode_codecs.h).
#include "byte_escape.h"
#include "unicode_codecs.h"

#include <QStringDecoder>

namespace {

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 sequence at `at` (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none.
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

// Well-formed UTF-8 to text. QString::fromUtf8 would drop a leading U+FEFF; here it is
// text (a second mark after the file's own, or one after a stray byte) and is kept.
QString fromWellFormedUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// The index of the first surrogate that is not half of a pair, or -1.
qsizetype firstLoneSurrogate(QStringView text, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (!ch.isSurrogate())
            continue;
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

}  // namespace

Utf8Shape utf8Shape(QByteArrayView bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    Utf8Shape shape;
    qsizetype i = 0;
    while (i < size) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(data, size, i);
        if (length == 0) {
            ++shape.nonAsciiBytes;
            ++shape.strayBytes;
            ++i;
            continue;
        }
        shape.nonAsciiBytes += length;
        ++(length == 2 ? shape.twoByteSequences : shape.longSequences);
        i += length;
    }
    return shape;
}

QString decodeUtf8(QByteArrayView bytes)
{
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
    qsizetype runStart = 0;
    for (qsizetype lone = firstLoneSurrogate(text, 0); lone >= 0; lone = firstLoneSurrogate(text, lone + 1)) {
        const char16_t unit = text[lone].unicode();
        // A carried byte below 0x80 came from UTF-16 and would be read back as ASCII here.
        if (!byte_escape::inRange(unit) || byte_escape::byteOf(unit) < 0x80) {
            out.truncate(start);
            return lone;
        }
        out.append(text.sliced(runStart, lone - runStart).toUtf8());
        out.append(static_cast<char>(byte_escape::byteOf(unit)));
        runStart = lone + 1;
    }
    out.append(text.sliced(runStart).toUtf8());
    return -1;
}
