#include "ansi_text.h"
#include "text_printers.h"

#include <gtest/gtest.h>

namespace {

// Keeps lone surrogates, which QString::fromUtf16 would replace.
QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

TEST(DetectEncoding, ChoosesUtf8OnlyForAMarkOrValidNonAsciiUtf8)
{
    const struct {
        const char* hexBytes;
        TextEncoding expected;
        const char* why;
    } cases[] = {
        {"", TextEncoding::Cp932, "empty"},
        {"5b30303a30315d61", TextEncoding::Cp932, "ASCII only"},
        {"e38182", TextEncoding::Utf8, "UTF-8 あ"},
        {"f09f9880", TextEncoding::Utf8, "UTF-8 four-byte sequence"},
        {"efbbbf", TextEncoding::Utf8WithBom, "mark alone"},
        {"efbbbf61", TextEncoding::Utf8WithBom, "mark and ASCII"},
        {"efbbbf8540", TextEncoding::Utf8WithBom, "mark before invalid bytes"},
        {"82a0", TextEncoding::Cp932, "CP932 あ"},
        {"e381", TextEncoding::Cp932, "truncated sequence"},
        {"c080", TextEncoding::Cp932, "overlong NUL"},
        {"e08080", TextEncoding::Cp932, "overlong three-byte form"},
        {"eda080", TextEncoding::Cp932, "encoded surrogate"},
        {"f4908080", TextEncoding::Cp932, "above U+10FFFF"},
        {"e3818261ff", TextEncoding::Cp932, "valid start, invalid later"},
        {"c3a9", TextEncoding::Utf8, "CP932 ﾃｩ is also UTF-8 é: UTF-8 wins"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detectEncoding(QByteArray::fromHex(c.hexBytes)), c.expected) << c.why;
}

TEST(DecodeText, DropsTheMarkAndKeepsInvalidUtf8Bytes)
{
    EXPECT_EQ(decodeText(QByteArray::fromHex("efbbbfe38182"), TextEncoding::Utf8WithBom), str(u"あ"));
    EXPECT_EQ(decodeText(QByteArray::fromHex("e38182"), TextEncoding::Utf8), str(u"あ"));
    // A file with a mark but broken content: each bad byte is kept as U+DC00 + byte.
    EXPECT_EQ(decodeText(QByteArray::fromHex("efbbbf61854062e381"), TextEncoding::Utf8WithBom),
              str(u"a\xDC85@b\xDCE3\xDC81"));
    EXPECT_EQ(decodeText(QByteArray::fromHex("82a0"), TextEncoding::Cp932), str(u"あ"));
}

TEST(DecodeText, KeepsMarksAfterTheFirstAsText)
{
    const struct {
        const char* hexBytes;
        const char16_t* expected;
        bool encodesBack;  // false where a byte that is no UTF-8 stays in the text
    } cases[] = {
        {"efbbbfefbbbf61", u"\uFEFFa", true},
        {"efbbbfefbbbf", u"\uFEFF", true},
        {"efbbbfff" "efbbbf61", u"\xDCFF\uFEFFa", false},  // after a stray byte
        {"efbbbf61ff" "efbbbf", u"a\xDCFF\uFEFF", false},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = QByteArray::fromHex(c.hexBytes);
        ASSERT_EQ(detectEncoding(bytes), TextEncoding::Utf8WithBom) << c.hexBytes;
        const QString text = decodeText(bytes, TextEncoding::Utf8WithBom);
        EXPECT_EQ(text, str(c.expected)) << c.hexBytes;
        if (c.encodesBack) {
            EXPECT_EQ(encodeText(text, TextEncoding::Utf8WithBom).bytes.toHex(), QByteArray(c.hexBytes));
        }
    }
}

TEST(EncodeText, WritesEachEncoding)
{
    const QString text = str(u"あa\U0001F600");
    EXPECT_EQ(encodeText(text, TextEncoding::Utf8).bytes.toHex(), QByteArray("e3818261f09f9880"));
    EXPECT_EQ(encodeText(text, TextEncoding::Utf8WithBom).bytes.toHex(),
              QByteArray("efbbbfe3818261f09f9880"));
    const EncodeResult cp932 = encodeText(text, TextEncoding::Cp932);
    EXPECT_FALSE(cp932.ok());
    EXPECT_EQ(cp932.errorOffset, 2);
}

TEST(EncodeText, LoneSurrogateIsAnErrorInUtf8)
{
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8WithBom}) {
        const EncodeResult result = encodeText(str(u"ab\xDC85"), encoding);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.errorOffset, 2);
        EXPECT_TRUE(result.error.contains(QStringLiteral("U+DC85"))) << result.error.toStdString();
        EXPECT_TRUE(result.error.contains(QStringLiteral("0x85"))) << result.error.toStdString();
        EXPECT_TRUE(result.bytes.isEmpty());
    }
    EXPECT_EQ(encodeText(str(u"\xD800x"), TextEncoding::Utf8).errorOffset, 0);
}

TEST(AppendEncodedText, AddsAfterWhatIsThereAndLeavesItOnFailure)
{
    const struct {
        TextEncoding encoding;
        const char16_t* text;
        const char* appendedHex;  // nullptr: cannot be encoded
        qsizetype unencodable;
    } cases[] = {
        {TextEncoding::Cp932, u"あa\xDC85", "82a06185", -1},
        {TextEncoding::Cp932, u"あ\U0001F600b", nullptr, 1},
        {TextEncoding::Utf8, u"あa\U0001F600", "e3818261f09f9880", -1},
        {TextEncoding::Utf8WithBom, u"a", "61", -1},  // the mark is the writer's business
        {TextEncoding::Utf8, u"ab\xDC85", nullptr, 2},
    };
    for (const auto& c : cases) {
        const QByteArray before("old\r\n");
        QByteArray out = before;
        out.reserve(1024);  // room left over must not show up as bytes
        EXPECT_EQ(appendEncodedText(out, str(c.text), c.encoding), c.unencodable)
            << (c.appendedHex ? c.appendedHex : "unencodable");
        const QByteArray expected = c.appendedHex ? before + QByteArray::fromHex(c.appendedHex) : before;
        EXPECT_EQ(out.toHex(), expected.toHex());
    }
}

TEST(SplitLines, FollowsTheLineEndRules)
{
    const struct {
        const char16_t* text;
        QStringList expected;
    } cases[] = {
        {u"", {}},
        {u"a", {QStringLiteral("a")}},
        {u"a\r\n", {QStringLiteral("a")}},
        {u"a\r\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {u"a\rb\nc\r\nd\r", {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}},
        {u"\r\n", {QString()}},
        {u"\r\n\r\n", {QString(), QString()}},
        {u"\n\n\n", {QString(), QString(), QString()}},
        {u"a\n\rb", {QStringLiteral("a"), QString(), QStringLiteral("b")}},  // LF CR is two ends
        {u"a\r\r\nb", {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {u"\r\na", {QString(), QStringLiteral("a")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitLines(c.text), c.expected) << QStringView(c.text).toString().toStdString();
}

TEST(SplitLines, CutsEachLineAtItsFirstNul)
{
    const QString text = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd\r\nef")
                         + QChar(u'\0') + QChar(u'\0') + QStringLiteral("\n") + QChar(u'\0')
                         + QStringLiteral("x\rlast");
    EXPECT_EQ(splitLines(text), (QStringList{QStringLiteral("ab"), QStringLiteral("ef"), QString(),
                                             QStringLiteral("last")}));
}

}  // namespace
