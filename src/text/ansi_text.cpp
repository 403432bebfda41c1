// Choosing the codec of an encoding, and line splitting (declared in ansi_text.h).
// The codecs are in cp932_codec.cpp, utf8_codec.cpp and utf16_codec.cpp, the
// detection in encoding_detection.cpp, file reading and writing in text_file.cpp.
#include "text/ansi_text.h"

#include "text/encode_error.h"
#include "text/unicode_codecs.h"

#include <cstdint>
#include <cstring>

namespace lyricue {

QByteArray byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8WithBom:
        return QByteArrayLiteral("\xEF\xBB\xBF");
    case TextEncoding::Utf16Le:
        return QByteArrayLiteral("\xFF\xFE");
    case TextEncoding::Utf16Be:
        return QByteArrayLiteral("\xFE\xFF");
    default:
        return QByteArray();
    }
}

QString decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return decodeCp932(bytes);
    const QByteArray mark = byteOrderMark(encoding);
    if (!mark.isEmpty() && bytes.startsWith(mark))
        bytes = bytes.sliced(mark.size());
    if (isUtf16(encoding))
        return decodeUtf16(bytes, encoding == TextEncoding::Utf16Be);
    return decodeUtf8(bytes);
}

EncodeResult encodeText(QStringView text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return encodeCp932(text);
    EncodeResult result;
    result.bytes = byteOrderMark(encoding);
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
    switch (encoding) {
    case TextEncoding::Cp932:
        return appendCp932(out, text);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return appendUtf16(out, text, encoding == TextEncoding::Utf16Be);
    default:
        return appendUtf8(out, text);
    }
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Cp932:
        return QStringLiteral("Shift_JIS (CP932)");
    case TextEncoding::Utf16Le:
        return QStringLiteral("UTF-16 LE");
    case TextEncoding::Utf16Be:
        return QStringLiteral("UTF-16 BE");
    default:
        return QStringLiteral("UTF-8");
    }
}

void forEachLine(QStringView text, const std::function<void(QStringView line)>& line)
{
    const qsizetype size = text.size();
    const char16_t* units = text.utf16();
    qsizetype start = 0;
    qsizetype nul = -1;  // the first NUL of the line being read
    const auto endLine = [&](qsizetype end) {
        line(text.sliced(start, (nul < 0 ? end : nul) - start));
        nul = -1;
    };
    for (qsizetype i = 0; i < size; ++i) {
        // Four units at a time while none of them is below 0x0E (no NUL, CR or LF):
        // the has-less-than test on 16-bit lanes.
        while (i + 4 <= size) {
            std::uint64_t four = 0;
            std::memcpy(&four, units + i, 8);
            if (((four - 0x000E000E000E000EULL) & ~four & 0x8000800080008000ULL) != 0)
                break;
            i += 4;
        }
        if (i >= size)
            break;
        const char16_t ch = units[i];
        if (ch > u'\r')
            continue;
        if (ch == u'\0' && nul < 0)
            nul = i;
        if (ch != u'\r' && ch != u'\n')
            continue;
        endLine(i);
        if (ch == u'\r' && i + 1 < size && units[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        endLine(size);
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    forEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

}  // namespace lyricue
