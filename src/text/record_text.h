#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "text/ansi_text.h"
#include "text/unicode_codecs.h"

#include <cstddef>
#include <cstring>

namespace lyricue {

// Filling and reading the fixed text fields of the engine records: CP932, except the
// texts of a track's tags, which hold the bytes of the file (CP932 or UTF-8).
namespace record_text {

// True for a byte that starts a two-byte CP932 character.
constexpr bool isCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length of the longest prefix of `bytes` that fits in `capacity` bytes without
// splitting a two-byte character.
inline std::size_t fittingLength(QByteArrayView bytes, std::size_t capacity)
{
    std::size_t end = 0;
    while (end < static_cast<std::size_t>(bytes.size())) {
        const std::size_t width =
            isCp932LeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        // A lead byte at the very end has lost its second byte: it is left out.
        if (end + width > capacity || end + width > static_cast<std::size_t>(bytes.size()))
            break;
        end += width;
    }
    return end;
}

// Length of the longest prefix of UTF-8 `bytes` that fits in `capacity` bytes without
// splitting a well-formed sequence; a stray byte counts as a character of its own, and
// a sequence cut short by the end of `bytes` is left out.
inline std::size_t fittingUtf8Length(QByteArrayView bytes, std::size_t capacity)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    std::size_t end = 0;
    while (static_cast<qsizetype>(end) < size) {
        const qsizetype at = static_cast<qsizetype>(end);
        qsizetype width = data[at] < 0x80 ? 1 : utf8SequenceLength(data, size, at);
        if (width == 0) {
            // A lead byte followed only by continuation bytes up to the end: a character
            // that the end of `bytes` cut short, left out as a lone CP932 lead byte is.
            const qsizetype wanted = data[at] >= 0xF0 ? 4 : data[at] >= 0xE0 ? 3 : data[at] >= 0xC2 ? 2 : 1;
            qsizetype next = at + 1;
            while (next < size && (data[next] & 0xC0) == 0x80)
                ++next;
            if (wanted > 1 && next == size && at + wanted > size)
                break;
            width = 1;
        }
        if (end + static_cast<std::size_t>(width) > capacity)
            break;
        end += static_cast<std::size_t>(width);
    }
    return end;
}

// Copies CP932 bytes into a field, NUL-terminated, cut on a character boundary.
template <std::size_t N>
void store(char (&field)[N], QByteArrayView cp932)
{
    std::memset(field, 0, N);
    const qsizetype nul = cp932.indexOf('\0');
    const QByteArrayView untilNul = nul < 0 ? cp932 : cp932.first(nul);
    // An empty text may have no data at all, and memcpy takes no null pointer even for 0 bytes.
    if (const std::size_t length = fittingLength(untilNul, N - 1))
        std::memcpy(field, untilNul.data(), length);
}

// Copies a tag's text into a field, NUL-terminated: the bytes as the file has them
// (CP932 or UTF-8) or CP932 for a Unicode tag, cut on a character boundary of the
// encoding fileText reads them in.
template <std::size_t N>
void storeFileText(char (&field)[N], QByteArrayView bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    const QByteArrayView untilNul = nul < 0 ? bytes : bytes.first(nul);
    if (decodeUnmarked(untilNul).encoding == TextEncoding::Cp932) {
        store(field, untilNul);
        return;
    }
    std::memset(field, 0, N);
    if (const std::size_t length = fittingUtf8Length(untilNul, N - 1))
        std::memcpy(field, untilNul.data(), length);
}

// The bytes of a field up to its first NUL (the whole field if it has none).
template <std::size_t N>
QByteArray bytes(const char (&field)[N])
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, N)));
}

// The text of a field that storeFileText filled, up to its first NUL: UTF-8 when the
// lyrics files' rule takes its bytes for UTF-8, CP932 otherwise (decodeUnmarked).
template <std::size_t N>
QString fileText(const char (&field)[N])
{
    return decodeUnmarked(bytes(field)).text;
}

}  // namespace record_text

}  // namespace lyricue
