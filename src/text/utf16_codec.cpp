// UTF-16 decoding and encoding (declared in unicode_codecs.h).
#include "text/byte_escape.h"
#include "text/unicode_codecs.h"

namespace lyricue {

namespace {

char16_t unitAt(const unsigned char* bytes, qsizetype at, bool bigEndian)
{
    return bigEndian ? static_cast<char16_t>(bytes[at] << 8 | bytes[at + 1])
                     : static_cast<char16_t>(bytes[at + 1] << 8 | bytes[at]);
}

}  // namespace

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    // A carried unit takes two places; the room is cut back at the end.
    QString text(bytes.size() + 1, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = unitAt(data, 2 * i, bigEndian);
        if (!QChar::isSurrogate(unit)) {
            out[written++] = unit;
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < units) {
            const char16_t next = unitAt(data, 2 * i + 2, bigEndian);
            if (QChar::isLowSurrogate(next)) {
                out[written++] = unit;
                out[written++] = next;
                ++i;
                continue;
            }
        }
        out[written++] = byte_escape::of(data[2 * i]);
        out[written++] = byte_escape::of(data[2 * i + 1]);
    }
    if (bytes.size() % 2)
        out[written++] = byte_escape::of(data[bytes.size() - 1]);
    text.truncate(written);
    return text;
}

qsizetype appendUtf16(QByteArray& out, QStringView text, bool bigEndian)
{
    const qsizetype start = out.size();
    const qsizetype size = text.size();
    out.resize(start + 2 * size);
    char* bytes = out.data() + start;
    qsizetype written = 0;
    qsizetype carriedRun = 0;  // carried bytes written since the last unit
    const auto fail = [&](qsizetype at) {
        out.truncate(start);
        return at;
    };
    const auto put = [&](char16_t unit) {
        bytes[written++] = static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        bytes[written++] = static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate();
        if (QChar::isSurrogate(unit) && !pair) {
            if (!byte_escape::inRange(unit))
                return fail(i);
            bytes[written++] = static_cast<char>(byte_escape::byteOf(unit));
            ++carriedRun;
            continue;
        }
        // A unit after an odd run of carried bytes would be read back shifted by a byte.
        if (carriedRun % 2)
            return fail(i - 1);
        carriedRun = 0;
        put(unit);
        if (pair)
            put(text[++i].unicode());
    }
    out.truncate(start + written);
    return -1;
}

}  // namespace lyricue
