// Encoding detection, UTF-8 and line splitting (declared in ansi_text.h); the CP932
// codec is in cp932_codec.cpp, file reading and writing in text_file.cpp.
#include "ansi_text.h"

#include "encode_error.h"

#include <QStringDecoder>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr qsizetype kBomSize = 3;

bool startsWithBom(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(kBom, kBomSize));
}

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

// Offset of the first byte that does not start a well-formed UTF-8 sequence, or -1.
qsizetype firstInvalidUtf8(QByteArrayView bytes, bool& sawNonAscii)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    sawNonAscii = false;
    qsizetype i = 0;
    while (i < size) {
        if (data[i] < 0x80) {
            ++i;
            continue;
        }
        sawNonAscii = true;
        const qsizetype length = utf8SequenceLength(data, size, i);
        if (length == 0)
            return i;
        i += length;
    }
    return -1;
}

// Well-formed UTF-8 to text. QString::fromUtf8 would drop a leading U+FEFF; here it is
// text (a second mark after the file's own, or one after a stray byte) and is kept.
QString fromWellFormedUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// UTF-8 to text; a byte that starts no well-formed sequence becomes U+DC00 + byte,
// as in the CP932 decoder, so nothing is lost.
QString decodeUtf8(QByteArrayView bytes)
{
    bool sawNonAscii = false;
    if (firstInvalidUtf8(bytes, sawNonAscii) < 0)
        return fromWellFormedUtf8(bytes);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype length = utf8SequenceLength(data, size, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text.append(fromWellFormedUtf8(bytes.sliced(runStart, i - runStart)));
        text.append(QChar(char16_t(0xDC00 + data[i])));
        runStart = ++i;
    }
    text.append(fromWellFormedUtf8(bytes.sliced(runStart)));
    return text;
}

// The index of the first surrogate that is not half of a pair, or -1.
qsizetype firstLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
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

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (startsWithBom(bytes))
        return TextEncoding::Utf8WithBom;
    bool sawNonAscii = false;
    if (firstInvalidUtf8(bytes, sawNonAscii) < 0 && sawNonAscii)
        return TextEncoding::Utf8;
    return TextEncoding::Cp932;
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return decodeCp932(bytes);
    return decodeUtf8(startsWithBom(bytes) ? bytes.sliced(kBomSize) : bytes);
}

EncodeResult encodeText(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return encodeCp932(text);
    EncodeResult result;
    if (encoding == TextEncoding::Utf8WithBom)
        result.bytes.append(kBom, kBomSize);
    const qsizetype unencodable = appendEncodedText(result.bytes, text, encoding);
    if (unencodable >= 0) {
        result.bytes.clear();
        result.errorOffset = unencodable;
        result.error = unencodableMessage(text, unencodable, encodingName(encoding));
    }
    return result;
}

qsizetype appendEncodedText(QByteArray& out, QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return appendCp932(out, text);
    const qsizetype unencodable = firstLoneSurrogate(text);
    if (unencodable < 0)
        out.append(text.toUtf8());
    return unencodable;
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Cp932 ? QStringLiteral("Shift_JIS (CP932)") : QStringLiteral("UTF-8");
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    const auto addLine = [&](qsizetype end) {
        QStringView line = text.sliced(start, end - start);
        const qsizetype nul = line.indexOf(QChar(u'\0'));
        lines.append((nul < 0 ? line : line.first(nul)).toString());
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = text[i].unicode();
        if (ch != u'\r' && ch != u'\n')
            continue;
        addLine(i);
        if (ch == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        addLine(size);
    return lines;
}
