#include "text/encode_error.h"

#include "text/byte_escape.h"

namespace lyricue {

namespace {

QString hex(uint value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QChar(u'0')).toUpper();
}

}  // namespace

QString unencodableMessage(QStringView text, qsizetype offset, const QString& encodingName)
{
    const char16_t ch = text[offset].unicode();
    const bool pair = QChar::isHighSurrogate(ch) && offset + 1 < text.size()
                      && QChar::isLowSurrogate(text[offset + 1].unicode());
    const char32_t codePoint = pair ? QChar::surrogateToUcs4(ch, text[offset + 1].unicode()) : ch;
    const QString codeText = QStringLiteral("U+") + hex(codePoint, 4);
    if (QChar::isSurrogate(ch) && !pair) {
        // A lone surrogate has no glyph. U+DC00..U+DCFF stand for a byte of a file
        // that was not valid text when it was read.
        const QString what = byte_escape::inRange(ch)
            ? QStringLiteral("文字として読めなかったバイト 0x") + hex(byte_escape::byteOf(ch), 2)
            : QStringLiteral("対になっていないサロゲート");
        return QStringLiteral("%1 (%2) は %3 で表せません").arg(codeText, what, encodingName);
    }
    return QStringLiteral("「%1」(%2) は %3 で表せない文字です")
        .arg(text.mid(offset, pair ? 2 : 1).toString(), codeText, encodingName);
}

}  // namespace lyricue
