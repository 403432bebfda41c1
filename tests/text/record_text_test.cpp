// Filling the engine records' fixed CP932 fields.
#include "text/record_text.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace lyricue {

namespace {

TEST(RecordTextStore, FillsTheFieldUpToNulAndCharacterBoundary)
{
    const struct {
        QByteArrayView input;
        QByteArray expected;
        const char* why;
    } cases[] = {
        // A null view has no data pointer at all: the engine stores these for lines
        // and tags with no text.
        {QByteArrayView(), QByteArray(), "null text"},
        {QByteArrayView(QByteArray()), QByteArray(), "view of a null byte array"},
        {QByteArrayView("", 0), QByteArray(), "empty text"},
        {QByteArrayView("abc"), QByteArray("abc"), "short text"},
        {QByteArrayView("ab\0cd", 5), QByteArray("ab"), "cut at its first NUL"},
        {QByteArrayView("abcdefgh"), QByteArray("abcdefg"), "cut to the field, one byte kept for the NUL"},
        {QByteArrayView("abcdef\x82\xa0"), QByteArray("abcdef"), "a two-byte character that does not fit"},
        {QByteArrayView("abcde\x82\xa0"), QByteArray("abcde\x82\xa0"), "a two-byte character that just fits"},
        {QByteArrayView("ab\x82"), QByteArray("ab"), "a lead byte without its trail"},
    };
    for (const auto& c : cases) {
        char field[8];
        std::memset(field, 0x55, sizeof field);
        record_text::store(field, c.input);
        EXPECT_EQ(record_text::bytes(field), c.expected) << c.why;
        for (std::size_t i = static_cast<std::size_t>(c.expected.size()); i < sizeof field; ++i)
            EXPECT_EQ(field[i], '\0') << c.why << ", byte " << i;
    }
}

}  // namespace

}  // namespace lyricue
