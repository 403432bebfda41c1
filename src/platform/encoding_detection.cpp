// detectEncoding (declared in ansi_text.h): the rule is described there.
#include "ansi_text.h"
#include "byte_escape.h"
#include "unicode_codecs.h"

namespace {

bool startsWith(QByteArrayView bytes, const char* mark)
{
    return bytes.startsWith(QByteArrayView(mark));
}

bool isAsciiLetter(QChar ch)
{
    return ch.unicode() < 0x80 && ch.isLetter();
}

// True when no byte of the CP932 reading is carried as an escape.
bool isCleanCp932(QByteArrayView bytes)
{
    return byte_escape::firstIn(decodeCp932(bytes)) < 0;
}

// Text of two-byte UTF-8 sequences that reads as European words: every non-ASCII
// character is from Latin-1 or Latin Extended-A (U+00A0..U+017F), and one of them
// stands next to an ASCII letter. Half-width katakana read as UTF-8 give IPA, Greek,
// Cyrillic, Hebrew or Arabic letters, or Latin ones standing among other such.
bool readsAsEuropeanWords(const QString& text)
{
    bool besideAsciiLetter = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < 0x80)
            continue;
        if (ch < 0xA0 || ch > 0x17F)
            return false;
        besideAsciiLetter = besideAsciiLetter || (i > 0 && isAsciiLetter(text[i - 1]))
                            || (i + 1 < text.size() && isAsciiLetter(text[i + 1]));
    }
    return besideAsciiLetter;
}

}  // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return TextEncoding::Utf8WithBom;
    if (startsWith(bytes, "\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (startsWith(bytes, "\xFE\xFF"))
        return TextEncoding::Utf16Be;

    const Utf8Shape shape = utf8Shape(bytes);
    if (shape.nonAsciiBytes == 0)
        return TextEncoding::Cp932;
    if (shape.strayBytes > 0)
        return shape.strayBytes * 2 < shape.longSequences ? TextEncoding::Utf8 : TextEncoding::Cp932;
    if (shape.longSequences > 0 || !isCleanCp932(bytes))
        return TextEncoding::Utf8;
    return readsAsEuropeanWords(decodeUtf8(bytes)) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}
