#pragma once

#include <QChar>
#include <QStringView>

namespace lyricue {

// Bytes of a file that are no valid text in its encoding travel through the program
// as lone surrogates U+DC00 + byte, so that saving gives them back unchanged. Every
// decoder turns whatever would give a lone surrogate (an invalid byte, a broken
// UTF-16 unit) into such bytes, so text read from a file never holds a lone
// surrogate of its own: on the way back, each one is a byte.
namespace byte_escape {

constexpr char16_t kBase = 0xDC00;

constexpr char16_t of(unsigned char byte)
{
    return static_cast<char16_t>(kBase + byte);
}

// True for a unit in U+DC00..U+DCFF; only an escape where it is no pair's second half.
constexpr bool inRange(char16_t unit)
{
    return unit >= kBase && unit <= kBase + 0xFF;
}

constexpr unsigned char byteOf(char16_t unit)
{
    return static_cast<unsigned char>(unit - kBase);
}

// The index of the first carried byte in `text`, or -1.
inline qsizetype firstIn(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (inRange(unit))
            return i;
    }
    return -1;
}

}  // namespace byte_escape

}  // namespace lyricue
