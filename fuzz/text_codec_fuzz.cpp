// Text codec round trip: any bytes decoded as CP932 (and as detected) and encoded again come back unchanged.
#include "ansi_text.h"
#include "fuzz_support.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

bool hasLoneSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // CP932 holds every byte string: invalid bytes travel as U+DC80..U+DCFF.
    const QString cp932 = decodeCp932(bytes);
    fuzz::check(cp932.size() <= bytes.size(), "CP932 gives at most one unit per byte");
    const EncodeResult back = encodeCp932(cp932);
    fuzz::check(back.ok(), "decoded CP932 encodes again");
    fuzz::check(back.bytes == bytes, "CP932 round trip keeps the bytes");
    fuzz::check(encodeCp932ForDisplay(cp932) == bytes, "display encoding of decoded CP932 keeps the bytes");

    // As a file is read: the detected encoding. UTF-8 refuses bytes that were never
    // UTF-8 (possible only after a byte-order mark); everything else comes back.
    const TextEncoding encoding = detectEncoding(bytes);
    const QString text = decodeText(bytes, encoding);
    const EncodeResult encoded = encodeText(text, encoding);
    if (encoded.ok()) {
        fuzz::check(encoded.bytes == bytes, "round trip in the detected encoding keeps the bytes");
    } else {
        fuzz::check(encoding == TextEncoding::Utf8WithBom, "only marked UTF-8 can fail to encode again");
        fuzz::check(hasLoneSurrogate(text), "a UTF-8 failure names a byte that was not UTF-8");
        fuzz::check(encoded.errorOffset >= 0 && encoded.errorOffset < text.size()
                        && text[encoded.errorOffset].isSurrogate(),
                    "the failure points at the stray byte");
    }

    // Any bytes read as UTF-8: a byte that is no UTF-8 fails the encoding, nothing is changed.
    const QString utf8 = decodeText(bytes, TextEncoding::Utf8);
    const EncodeResult utf8Back = encodeText(utf8, TextEncoding::Utf8);
    fuzz::check(utf8Back.ok() != hasLoneSurrogate(utf8), "UTF-8 fails exactly on stray bytes");
    if (utf8Back.ok()) {
        const bool marked = bytes.startsWith(QByteArrayView("\xEF\xBB\xBF"));
        fuzz::check((marked ? QByteArray("\xEF\xBB\xBF") + utf8Back.bytes : utf8Back.bytes) == bytes,
                    "UTF-8 round trip keeps the bytes");
    }
    return 0;
}
