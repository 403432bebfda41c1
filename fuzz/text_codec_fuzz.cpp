// Text codec round trip: any bytes decoded as CP932, UTF-8, UTF-16 or as detected and encoded again come back unchanged.
#include "text/ansi_text.h"
#include "fuzz_support.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

using namespace lyricue;

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

    // As a file is read: the detected encoding, and back.
    const TextEncoding encoding = detectEncoding(bytes);
    const DecodedText decoded = decodeDetected(bytes);
    fuzz::check(decoded.encoding == encoding, "decodeDetected agrees with detectEncoding");
    fuzz::check(decoded.text == decodeText(bytes, encoding), "decodeDetected decodes as decodeText does");
    const EncodeResult encoded = encodeText(decoded.text, encoding);
    fuzz::check(encoded.ok() && encoded.bytes == bytes, "round trip in the detected encoding keeps the bytes");

    // Any bytes read as UTF-8 or, after a mark, as UTF-16 come back unchanged.
    const EncodeResult utf8 = encodeText(decodeText(bytes, TextEncoding::Utf8), TextEncoding::Utf8);
    fuzz::check(utf8.ok() && utf8.bytes == bytes, "UTF-8 round trip keeps the bytes");
    for (const TextEncoding utf16 : {TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        const QByteArray marked = byteOrderMark(utf16) + bytes.toByteArray();
        const QString text = decodeText(marked, utf16);
        const EncodeResult back = encodeText(text, utf16);
        fuzz::check(back.ok() && back.bytes == marked, "UTF-16 round trip keeps the bytes");
    }
    return 0;
}

