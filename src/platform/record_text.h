#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstring>

// Filling and reading the fixed CP932 text fields of the engine records.
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

// The bytes of a field up to its first NUL (the whole field if it has none).
template <std::size_t N>
QByteArray bytes(const char (&field)[N])
{
    return QByteArray(field, static_cast<qsizetype>(strnlen(field, N)));
}

}  // namespace record_text
