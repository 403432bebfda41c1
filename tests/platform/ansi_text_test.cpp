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
        {"c3a9", TextEncoding::Cp932, "CP932 ﾃｩ is also UTF-8 é, but no European word"},
        {"fffe", TextEncoding::Utf16Le, "UTF-16 LE mark alone"},
        {"feff0041", TextEncoding::Utf16Be, "UTF-16 BE mark and A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detectEncoding(QByteArray::fromHex(c.hexBytes)), c.expected) << c.why;
}

// Lyrics files as people have them: each is read in the encoding it was written in
// (pure ASCII reads the same either way), so its text comes out as written.
TEST(DetectEncoding, ReadsRealWorldFilesAsWritten)
{
    const struct {
        const char* what;
        const char16_t* text;
        TextEncoding written;
        TextEncoding detected;
    } cases[] = {
        {"CP932 half-width katakana that pair up as UTF-8",
         u"[00:12:34]ﾋｰﾛｰ\r\n[00:15:00]ﾄｷﾒｷ\r\n[00:18:20]ﾕｷ ﾄｷﾒｷ\r\n", TextEncoding::Cp932, TextEncoding::Cp932},
        {"one line of such katakana", u"ﾄｷﾒｷ\r\n", TextEncoding::Cp932, TextEncoding::Cp932},
        {"one pair, which reads as Latin ķ", u"ﾄｷ", TextEncoding::Cp932, TextEncoding::Cp932},
        {"CP932 half-width katakana", u"[00:01:00]ﾊｰﾄ\r\n[00:02:00]ｶﾗｵｹ\r\n", TextEncoding::Cp932, TextEncoding::Cp932},
        {"CP932 kanji", u"[00:12:34]夜明けの空に 君の声が響く\r\n[00:15:00]忘れないで この街の灯り\r\n",
         TextEncoding::Cp932, TextEncoding::Cp932},
        {"CP932 kanji and half-width katakana", u"[00:01:00]ｶﾗｵｹで歌う夜\r\n[00:02:00]ﾋｰﾛｰになれ\r\n",
         TextEncoding::Cp932, TextEncoding::Cp932},
        {"CP932 one kanji", u"愛", TextEncoding::Cp932, TextEncoding::Cp932},
        {"CP932 short line", u"[00:00:00]さくら\r\n", TextEncoding::Cp932, TextEncoding::Cp932},
        {"UTF-8 Japanese", u"[00:12:34]夜明けの空に 君の声が響く\n[00:15:00]忘れないで\n", TextEncoding::Utf8,
         TextEncoding::Utf8},
        {"UTF-8 with a mark", u"[00:12:34]夜明けの空に\r\n[00:15:00]ラララ 明日へ\r\n", TextEncoding::Utf8WithBom,
         TextEncoding::Utf8WithBom},
        {"UTF-8 one character", u"あ", TextEncoding::Utf8, TextEncoding::Utf8},
        {"UTF-8 half-width katakana", u"[00:01:00]ﾊｰﾄ ｶﾗｵｹ\n", TextEncoding::Utf8, TextEncoding::Utf8},
        {"UTF-8 European words", u"[00:12:34]Je t'aime, mon cœur brisé\n[00:15:00]¿Qué pasa, señorita?\n",
         TextEncoding::Utf8, TextEncoding::Utf8},
        {"UTF-8 one European word", u"café\n", TextEncoding::Utf8, TextEncoding::Utf8},
        {"UTF-8 that is pure ASCII", u"[00:12:34]Hello world\r\n[00:15:00]Oh yeah\r\n", TextEncoding::Utf8,
         TextEncoding::Cp932},
        {"one ASCII line", u"la la la", TextEncoding::Utf8, TextEncoding::Cp932},
        {"UTF-16 LE with its mark", u"[00:12:34]夜明けの空に\r\n[00:15:00]ﾊｰﾄ\r\n", TextEncoding::Utf16Le,
         TextEncoding::Utf16Le},
        {"UTF-16 BE with its mark", u"[00:12:34]夜明けの空に\r\n", TextEncoding::Utf16Be, TextEncoding::Utf16Be},
    };
    for (const auto& c : cases) {
        const EncodeResult written = encodeText(str(c.text), c.written);
        ASSERT_TRUE(written.ok()) << c.what;
        EXPECT_EQ(detectEncoding(written.bytes), c.detected) << c.what;
        EXPECT_EQ(decodeText(written.bytes, c.detected), str(c.text)) << c.what;
    }

    // A UTF-8 file with one damaged byte is still UTF-8, the byte carried.
    QByteArray damaged = str(u"[00:12:34]夜明けの空に 君の声が響く\n").toUtf8();
    damaged.insert(20, '\xFF');
    EXPECT_EQ(detectEncoding(damaged), TextEncoding::Utf8);
    EXPECT_TRUE(decodeText(damaged, TextEncoding::Utf8).contains(QChar(0xDCFF)));
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
