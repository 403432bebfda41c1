#include "text/ansi_text.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace lyricue {

namespace {

struct DetectionCase {
    const char* what;
    QByteArray bytes;
    TextEncoding expected;
    QString text;  // what the bytes read as; null for cases given as bytes alone
};

DetectionCase hex(const char* what, const char* hexBytes, TextEncoding expected)
{
    return {what, QByteArray::fromHex(hexBytes), expected, QString()};
}

// A file holding `text` written in `written`; a carried byte (U+DC00 + byte) is
// written as the byte itself, as a damaged file has it.
DetectionCase file(const char* what, const char16_t* text, TextEncoding written, TextEncoding expected)
{
    const QString asText = QStringView(text).toString();
    const EncodeResult encoded = encodeText(asText, written);
    EXPECT_TRUE(encoded.ok()) << what << ": " << encoded.error.toStdString();
    return {what, encoded.bytes, expected, asText};
}

// Lyrics files as people have them and the bytes at the rule's edges: each file is
// read in the encoding it was written in (ASCII reads the same either way), so its
// text comes out as written.
TEST(DetectEncoding, ReadsEachFileOfTheTableAsWritten)
{
    constexpr auto Cp932 = TextEncoding::Cp932;
    constexpr auto Utf8 = TextEncoding::Utf8;
    const DetectionCase cases[] = {
        hex("empty", "", Cp932),
        hex("ASCII only", "5b30303a30315d61", Cp932),
        hex("UTF-8 mark alone", "efbbbf", TextEncoding::Utf8WithBom),
        hex("UTF-8 mark before bytes that are no UTF-8", "efbbbf8540", TextEncoding::Utf8WithBom),
        hex("UTF-16 LE mark alone", "fffe", TextEncoding::Utf16Le),
        hex("UTF-16 BE mark and A", "feff0041", TextEncoding::Utf16Be),
        hex("UTF-8 four-byte sequence", "f09f9880", Utf8),
        hex("CP932 あ", "82a0", Cp932),
        hex("truncated sequence", "e381", Cp932),
        hex("overlong NUL", "c080", Cp932),
        hex("overlong three-byte form", "e08080", Cp932),
        hex("encoded surrogate", "eda080", Cp932),
        hex("above U+10FFFF", "f4908080", Cp932),
        hex("one valid sequence, then a stray byte", "e3818261ff", Cp932),
        hex("CP932 ﾃｩ alone, also UTF-8 é", "c3a9", Cp932),
        file("CP932 half-width katakana that pair up as UTF-8",
             u"[00:12:34]ﾋｰﾛｰ\r\n[00:15:00]ﾄｷﾒｷ\r\n[00:18:20]ﾕｷ ﾄｷﾒｷ\r\n", Cp932, Cp932),
        file("CP932 one line of such katakana", u"ﾄｷﾒｷ\r\n", Cp932, Cp932),
        file("CP932 one pair, which reads as UTF-8 ķ", u"ﾄｷ", Cp932, Cp932),
        file("CP932 ﾂｰ after a tag, which reads as UTF-8 °", u"[00:01:00]ﾂｰ\r\n", Cp932, Cp932),
        file("CP932 such katakana among English words", u"[00:01:00]Let's go ﾋｰﾛｰ!\r\n[00:02:00]ﾄｷﾒｷ, baby\r\n",
             Cp932, Cp932),
        file("CP932 half-width katakana", u"[00:01:00]ﾊｰﾄ\r\n[00:02:00]ｶﾗｵｹ\r\n", Cp932, Cp932),
        file("CP932 kanji", u"[00:12:34]夜明けの空に 君の声が響く\r\n[00:15:00]忘れないで この街の灯り\r\n", Cp932,
             Cp932),
        file("CP932 kanji and half-width katakana", u"[00:01:00]ｶﾗｵｹで歌う夜\r\n[00:02:00]ﾋｰﾛｰになれ\r\n", Cp932,
             Cp932),
        file("CP932 one kanji", u"愛", Cp932, Cp932),
        file("CP932 short line", u"[00:00:00]さくら\r\n", Cp932, Cp932),
        file("CP932 English and kanji", u"[00:00:00]I love you 愛してる\r\n", Cp932, Cp932),
        file("CP932 signs and katakana", u"♪ラララ♪\r\n", Cp932, Cp932),
        file("UTF-8 Japanese", u"[00:12:34]夜明けの空に 君の声が響く\n[00:15:00]忘れないで\n", Utf8, Utf8),
        file("UTF-8 with a mark", u"[00:12:34]夜明けの空に\r\n[00:15:00]ラララ 明日へ\r\n", TextEncoding::Utf8WithBom,
             TextEncoding::Utf8WithBom),
        file("UTF-8 one character", u"あ", Utf8, Utf8),
        file("UTF-8 half-width katakana", u"[00:01:00]ﾊｰﾄ ｶﾗｵｹ\n", Utf8, Utf8),
        file("UTF-8 French and Spanish", u"[00:12:34]Je t'aime, mon cœur brisé\n[00:15:00]¿Qué pasa, señorita?\n",
             Utf8, Utf8),
        file("UTF-8 one French word", u"café\n", Utf8, Utf8),
        file("UTF-8 degree sign", u"[00:01:00]Turn 360° around\r\n", Utf8, Utf8),
        file("UTF-8 Romanian", u"[00:01:00]Și ești aici\r\n", Utf8, Utf8),
        file("UTF-8 German", u"[00:01:00]Die Straße ist groß\r\n", Utf8, Utf8),
        file("UTF-8 ligature", u"Œuvre\n", Utf8, Utf8),
        file("UTF-8 Polish", u"Zażółć gęślą jaźń\n", Utf8, Utf8),
        file("UTF-8 Greek", u"[00:01:00]Σ' αγαπώ\n", Utf8, Utf8),
        file("UTF-8 Russian", u"[00:01:00]Я тебя люблю\n", Utf8, Utf8),
        file("UTF-8 Korean", u"[00:01:00]사랑해요\n[00:02:00]보고 싶어\n", Utf8, Utf8),
        file("UTF-8 Chinese", u"[00:01:00]我爱你\n[00:02:00]月亮代表我的心\n", Utf8, Utf8),
        file("UTF-8 Japanese with a damaged byte", u"[00:12:34]夜明けの\xDCFF空に 君の声が響く\n", Utf8, Utf8),
        file("UTF-8 Korean with a damaged byte", u"[00:01:00]사랑\xDCC0해요 보고 싶어\n", Utf8, Utf8),
        file("UTF-8 that is pure ASCII", u"[00:12:34]Hello world\r\n[00:15:00]Oh yeah\r\n", Utf8, Cp932),
        file("UTF-16 LE with its mark", u"[00:12:34]夜明けの空に\r\n[00:15:00]ﾊｰﾄ\r\n", TextEncoding::Utf16Le,
             TextEncoding::Utf16Le),
        file("UTF-16 BE with its mark", u"[00:12:34]café\r\n", TextEncoding::Utf16Be, TextEncoding::Utf16Be),
    };
    std::printf("%-12s  %-12s  %-35s  %s\n", "expected", "detected", "bytes", "file");
    int right = 0;
    for (const DetectionCase& c : cases) {
        const DecodedText decoded = decodeDetected(c.bytes);
        right += decoded.encoding == c.expected ? 1 : 0;
        const QByteArray shownBytes = c.bytes.left(16).toHex() + (c.bytes.size() > 16 ? "..." : "");
        std::printf("%-12s  %-12s  %-35s  %s\n", ::testing::PrintToString(c.expected).c_str(),
                    ::testing::PrintToString(decoded.encoding).c_str(), shownBytes.constData(), c.what);
        EXPECT_EQ(decoded.encoding, c.expected) << c.what;
        EXPECT_EQ(detectEncoding(c.bytes), decoded.encoding) << c.what;
        if (!c.text.isNull()) {
            EXPECT_EQ(decoded.text, c.text) << c.what;
        }
    }
    std::printf("%d of %zu files read in their encoding\n", right, std::size(cases));
}

}  // namespace

}  // namespace lyricue
