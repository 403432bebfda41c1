#include "text/ansi_text.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

// Keeps lone surrogates, which QString::fromUtf16 would replace.
QString str(const char16_t* text)
{
    return QStringView(text).toString();
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
    } cases[] = {
        {"efbbbfefbbbf61", u"\uFEFFa"},
        {"efbbbfefbbbf", u"\uFEFF"},
        {"efbbbfff" "efbbbf61", u"\xDCFF\uFEFFa"},  // after a stray byte
        {"efbbbf61ff" "efbbbf", u"a\xDCFF\uFEFF"},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = QByteArray::fromHex(c.hexBytes);
        ASSERT_EQ(detectEncoding(bytes), TextEncoding::Utf8WithBom) << c.hexBytes;
        const QString text = decodeText(bytes, TextEncoding::Utf8WithBom);
        EXPECT_EQ(text, str(c.expected)) << c.hexBytes;
        EXPECT_EQ(encodeText(text, TextEncoding::Utf8WithBom).bytes.toHex(), QByteArray(c.hexBytes));
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

TEST(EncodeText, CarriedBytesGoBackOnlyWhereTheyCanHaveComeFrom)
{
    const struct {
        TextEncoding encoding;
        const char16_t* text;
        const char* hex;  // nullptr: refused at `at`
        qsizetype at;
    } cases[] = {
        {TextEncoding::Utf8, u"ab\xDC85", "616285", -1},
        {TextEncoding::Utf8WithBom, u"\xDCFF" u"a", "efbbbfff61", -1},
        // A carried byte below 0x80 only comes from UTF-16; elsewhere it would read back as ASCII.
        {TextEncoding::Utf8, u"a\xDC0A", nullptr, 1},
        {TextEncoding::Cp932, u"a\xDC41", nullptr, 1},
        // A lone surrogate of its own is no carried byte in any encoding.
        {TextEncoding::Utf8, u"\xD800x", nullptr, 0},
        {TextEncoding::Cp932, u"x\xDD00", nullptr, 1},
        {TextEncoding::Utf16Le, u"x\xD800", nullptr, 1},
        // UTF-16: carried bytes in even runs anywhere, an odd run only at the end.
        {TextEncoding::Utf16Le, u"a\xDC80\xDCDC" u"b", "fffe610080dc6200", -1},
        {TextEncoding::Utf16Be, u"a\xDC00", "feff006100", -1},
        {TextEncoding::Utf16Le, u"\xDC00" u"b", nullptr, 0},
    };
    for (const auto& c : cases) {
        const EncodeResult result = encodeText(str(c.text), c.encoding);
        EXPECT_EQ(result.bytes.toHex(), QByteArray(c.hex ? c.hex : "")) << encodingName(c.encoding).toStdString();
        EXPECT_EQ(result.errorOffset, c.at) << encodingName(c.encoding).toStdString();
        EXPECT_EQ(result.ok(), c.hex != nullptr);
    }
    const EncodeResult refused = encodeText(str(u"a\xDC0A"), TextEncoding::Utf8);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("0x0A"))) << refused.error.toStdString();
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
        {TextEncoding::Utf8, u"ab\xD800", nullptr, 2},
        {TextEncoding::Utf16Be, u"a\xDCFF", "0061ff", -1},
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

}  // namespace lyricue
