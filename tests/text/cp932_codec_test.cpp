#include "text/ansi_text.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace lyricue {

namespace {

// Keeps lone surrogates, which QString::fromUtf16 would replace.
QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

struct CharCase {
    const char* hexBytes;
    const char16_t* text;
};

// Characters that decode and encode both ways.
const CharCase kCharacters[] = {
    {"41", u"A"},
    {"5c", u"\\"},         // CP932 keeps ASCII's backslash
    {"7e", u"~"},
    {"82a0", u"あ"},
    {"955c", u"表"},       // trail byte 0x5C must not be taken for a backslash
    {"b1", u"ｱ"},          // half-width katakana, one byte
    {"8160", u"\uFF5E"},   // Windows maps 81 60 to the full-width tilde
    {"81e0", u"≒"},
    {"f040", u"\uE000"},   // first user-defined character
    {"fa5c", u"纊"},       // IBM extension, the pair Windows writes
    {"fbfc", u"髙"},
    {"8754", u"Ⅰ"},       // NEC row 13, the pair Windows writes
};

TEST(Cp932Codec, KnownCharactersDecodeAndEncode)
{
    for (const CharCase& c : kCharacters) {
        const QByteArray bytes = QByteArray::fromHex(c.hexBytes);
        const QString text = str(c.text);
        EXPECT_EQ(decodeCp932(bytes), text) << c.hexBytes;
        const EncodeResult encoded = encodeCp932(text);
        EXPECT_TRUE(encoded.ok()) << c.hexBytes << ": " << encoded.error.toStdString();
        EXPECT_EQ(encoded.bytes.toHex(), QByteArray(c.hexBytes)) << c.hexBytes;
    }
}

TEST(Cp932Codec, AsciiDecodesToItself)
{
    QByteArray bytes;
    for (int b = 0; b < 0x80; ++b)
        bytes.append(static_cast<char>(b));
    const QString text = decodeCp932(bytes);
    ASSERT_EQ(text.size(), 0x80);
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(text[b].unicode(), b);
}

// Bytes that are no CP932 character, or a pair that CP932 would write differently,
// come out as U+DC00 + byte and go back unchanged.
const CharCase kEscapes[] = {
    {"80", u"\xDC80"},
    {"a0", u"\xDCA0"},
    {"fdfeff", u"\xDCFD\xDCFE\xDCFF"},
    {"8540", u"\xDC85@"},               // unassigned pair: lead escaped, '@' read afresh
    {"810d0a", u"\xDC81\r\n"},          // lead byte before a line end
    {"82", u"\xDC82"},                  // lead byte at the very end
    {"8582a0", u"\xDC85" u"あ"},        // after an escaped lead, the next pair is whole
    {"8790", u"\xDC87\xDC90"},          // NEC ≒, Windows writes 81 E0
    {"ed40", u"\xDCED@"},               // NEC-selected 纊, Windows writes FA 5C
    {"eef9", u"\xDCEE\xDCF9"},          // NEC-selected ¬, Windows writes 81 CA
    {"fa54", u"\xDCFA" u"T"},           // IBM ¬, Windows writes 81 CA
};

TEST(Cp932Codec, InvalidAndAmbiguousBytesBecomeEscapes)
{
    for (const CharCase& c : kEscapes) {
        const QString expected = str(c.text);
        const QByteArray bytes = QByteArray::fromHex(c.hexBytes);
        EXPECT_EQ(decodeCp932(bytes), expected) << c.hexBytes;
        const EncodeResult encoded = encodeCp932(expected);
        EXPECT_TRUE(encoded.ok()) << c.hexBytes;
        EXPECT_EQ(encoded.bytes.toHex(), QByteArray(c.hexBytes));
    }
}

// Characters CP932 writes but never reads back as themselves (as Windows does).
TEST(Cp932Codec, EncodesCharactersOnlyWrittenOneWay)
{
    const CharCase cases[] = {
        {"5c", u"\u00A5"},   // yen sign: 0x5C is ¥ in Japanese fonts
        {"7e", u"\u203E"},   // overline
        {"8160", u"\u301C"}, // wave dash
        {"817c", u"\u2212"}, // minus sign
        {"815c", u"\u2014"}, // em dash
    };
    for (const CharCase& c : cases) {
        const EncodeResult encoded = encodeCp932(str(c.text));
        EXPECT_TRUE(encoded.ok()) << c.hexBytes;
        EXPECT_EQ(encoded.bytes.toHex(), QByteArray(c.hexBytes));
    }
}

TEST(Cp932Codec, UnencodableCharacterIsAnErrorNamingIt)
{
    const struct {
        const char16_t* text;
        qsizetype offset;
        const char16_t* named;
    } cases[] = {
        {u"ab\U0001F600c", 2, u"U+1F600"},
        {u"caf\u00E9", 3, u"U+00E9"},
        {u"\u00A6", 0, u"U+00A6"},
        {u"x\U000E0001", 1, u"U+E0001"},  // iconv would drop this tag character silently
        {u"x\xD800y", 1, u"U+D800"},      // lone high surrogate
        {u"\xDC41", 0, u"U+DC41"},        // low surrogate outside the byte escapes
        {u"あ\xDBFF", 1, u"U+DBFF"},      // high surrogate at the end
    };
    for (const auto& c : cases) {
        const QString text = str(c.text);
        const EncodeResult encoded = encodeCp932(text);
        EXPECT_FALSE(encoded.ok()) << text.toStdString();
        EXPECT_EQ(encoded.errorOffset, c.offset) << text.toStdString();
        EXPECT_TRUE(encoded.error.contains(str(c.named)))
            << encoded.error.toStdString();
        EXPECT_TRUE(encoded.bytes.isEmpty());
    }
    EXPECT_TRUE(encodeCp932(u"ab\U0001F600").error.contains(str(u"「\U0001F600」")));
}

TEST(Cp932Codec, DisplayEncodingSubstitutesWhatCp932CannotHold)
{
    // 〓 is 81 AC; an escaped byte goes back as itself.
    EXPECT_EQ(encodeCp932ForDisplay(str(u"a\U0001F600b\xDC85\u00E9\xD800あ")).toHex(),
              QByteArray("6181ac6285" "81ac" "81ac" "82a0"));
    EXPECT_EQ(encodeCp932ForDisplay(u"").size(), 0);
}

TEST(Cp932Codec, EveryOneAndTwoByteSequenceRoundTrips)
{
    // CP932 assigns 9,604 pairs, about 400 of them NEC/IBM duplicates that must come
    // out escaped; all the others must still decode to one character.
    int characters = 0;
    for (int first = 0; first < 256; ++first) {
        const QByteArray single(1, static_cast<char>(first));
        ASSERT_EQ(encodeCp932(decodeCp932(single)).bytes, single) << first;
        for (int second = 0; second < 256; ++second) {
            QByteArray pair(2, '\0');
            pair[0] = static_cast<char>(first);
            pair[1] = static_cast<char>(second);
            const QString text = decodeCp932(pair);
            const EncodeResult encoded = encodeCp932(text);
            ASSERT_TRUE(encoded.ok()) << pair.toHex().toStdString();
            ASSERT_EQ(encoded.bytes, pair) << pair.toHex().toStdString();
            if (first >= 0x80 && text.size() == 1 && !text[0].isSurrogate())
                ++characters;
        }
    }
    EXPECT_GT(characters, 9150);
}

TEST(Cp932Codec, RandomByteStringsRoundTrip)
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(random.bounded(64), '\0');
        for (char& b : bytes) {
            // Half the bytes from the lead-byte ranges so that pairs are common.
            const bool high = random.bounded(2) == 0;
            b = static_cast<char>(high ? 0x80 + random.bounded(0x80) : random.bounded(0x100));
        }
        const EncodeResult encoded = encodeCp932(decodeCp932(bytes));
        ASSERT_TRUE(encoded.ok()) << "seed " << seed << " bytes " << bytes.toHex().toStdString();
        ASSERT_EQ(encoded.bytes, bytes) << "seed " << seed << " bytes " << bytes.toHex().toStdString();
    }
}

TEST(Cp932Codec, LargeFileRoundTrips)
{
    // 32,766 lines of mixed Japanese and ASCII, the most a sheet holds.
    const QByteArray line = encodeCp932(u"[01:23:45]春はあけぼの、やうやう白くなりゆく山際 abc 123 ｱｲｳ").bytes;
    QByteArray bytes;
    for (int i = 0; i < 32766; ++i)
        bytes.append(line).append("\r\n");
    ASSERT_GT(bytes.size(), 1'400'000);

    const QString text = decodeCp932(bytes);
    EXPECT_EQ(text.count(u'\n'), 32766);
    const EncodeResult encoded = encodeCp932(text);
    ASSERT_TRUE(encoded.ok());
    EXPECT_EQ(encoded.bytes, bytes);
}

}  // namespace

}  // namespace lyricue
