// CP932 decoding and encoding (declared in ansi_text.h).
//
// The mapping is glibc iconv's "CP932". Asking iconv one character at a time is far
// too slow for a 1.5 MB file, and a bulk iconv call cannot tell us where its input
// was ambiguous, so at first use iconv is asked once about every byte and every
// two-byte sequence and the answers are kept in tables (a few ms, 320 KB); a 2 MB
// file then converts in about 3 ms either way.
// Characters missing from the tables (the few that CP932 only encodes, such as
// U+00A5 to 0x5C) go to iconv directly.
//
// Losslessness: encodeCp932(decodeCp932(bytes)) == bytes for every byte string.
// - A byte that does not start a valid character becomes U+DC00 + byte.
// - Some characters have several byte pairs (NEC and IBM duplicates: 87 90 and 81 E0
//   are both U+2252). iconv encodes each of them back to one pair only, so the other
//   pairs would change on a load and save. Those "non-canonical" pairs are escaped
//   too: the lead byte as a surrogate, the trail byte as a surrogate when it is not
//   ASCII. They show as unknown characters, but the file keeps its bytes.
#include "text/ansi_text.h"

#include "text/byte_escape.h"
#include "text/encode_error.h"

#include <QtGlobal>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <iconv.h>

namespace lyricue {

namespace {

constexpr char16_t kEscapeBase = byte_escape::kBase;  // + byte (0x80..0xFF)
constexpr std::uint16_t kNoBytes = 0xFFFF;  // encode table: not in the table
constexpr char16_t kNoChar = 0;             // decode tables: no character

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kUtf32 = "UTF-32LE";
#else
constexpr const char* kUtf32 = "UTF-32BE";
#endif

// An iconv conversion descriptor, closed on destruction.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false (with errno's reason in `error`) when iconv stops.
    bool convert(const char* in, std::size_t inLength, char* out, std::size_t& outLength, int& error)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        const std::size_t outCapacity = outLength;
        const std::size_t result = iconv(m_cd, &inPtr, &inLength, &outPtr, &outLength);
        error = result == static_cast<std::size_t>(-1) ? errno : 0;
        outLength = outCapacity - outLength;
        return error == 0 && inLength == 0;
    }

private:
    iconv_t m_cd;
};

// Encodes one code point with iconv; nothing when CP932 cannot hold it. A conversion
// that yields no bytes (glibc drops the tag characters U+E0000..U+E007F) counts as failed.
std::optional<QByteArray> iconvEncode(IconvHandle& encoder, char32_t codePoint)
{
    char out[8];
    std::size_t outLength = sizeof out;
    int error = 0;
    if (!encoder.convert(reinterpret_cast<const char*>(&codePoint), sizeof codePoint, out,
                         outLength, error)
        || outLength == 0)
        return std::nullopt;
    return QByteArray(out, static_cast<qsizetype>(outLength));
}

enum class ByteKind : std::uint8_t { Single, Lead, Invalid };

// What iconv makes of every byte and byte pair, and of every decoded character.
class Cp932Tables {
public:
    Cp932Tables() : m_pairs(65536, kNoChar), m_nonCanonical(65536, false), m_encoded(65536, kNoBytes)
    {
        IconvHandle decoder(kUtf32, "CP932");
        IconvHandle encoder("CP932", kUtf32);
        m_available = decoder.valid() && encoder.valid();
        if (!m_available)
            return;
        // ASCII maps to itself and never reaches the tables.
        for (int byte = 0x80; byte < 256; ++byte) {
            const char in[1] = {static_cast<char>(byte)};
            char32_t out = 0;
            std::size_t outLength = sizeof out;
            int error = 0;
            if (decoder.convert(in, 1, reinterpret_cast<char*>(&out), outLength, error)
                && outLength == sizeof out && isTableChar(out)) {
                m_kind[byte] = ByteKind::Single;
                m_single[byte] = static_cast<char16_t>(out);
                remember(encoder, out, QByteArray(in, 1));
            } else {
                m_kind[byte] = error == EINVAL ? ByteKind::Lead : ByteKind::Invalid;
            }
        }
        for (int lead = 0; lead < 256; ++lead) {
            if (m_kind[lead] != ByteKind::Lead)
                continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t out = 0;
                std::size_t outLength = sizeof out;
                int error = 0;
                if (!decoder.convert(in, 2, reinterpret_cast<char*>(&out), outLength, error)
                    || outLength != sizeof out || !isTableChar(out))
                    continue;
                const int index = lead << 8 | trail;
                m_pairs[index] = static_cast<char16_t>(out);
                m_nonCanonical[index] = !remember(encoder, out, QByteArray(in, 2));
            }
        }
    }

    bool available() const { return m_available; }
    ByteKind kind(unsigned char byte) const { return m_kind[byte]; }
    char16_t single(unsigned char byte) const { return m_single[byte]; }
    char16_t pair(unsigned char lead, unsigned char trail) const { return m_pairs[lead << 8 | trail]; }
    bool nonCanonical(unsigned char lead, unsigned char trail) const
    {
        return m_nonCanonical[lead << 8 | trail];
    }
    // The bytes of a BMP character: a pair as lead << 8 | trail, a single byte as
    // itself, or kNoBytes when the table does not know it.
    std::uint16_t encoded(char16_t ch) const { return m_encoded[ch]; }

    std::optional<QByteArray> encodeUnknown(char32_t codePoint) const
    {
        const std::lock_guard lock(m_fallbackMutex);
        if (!m_fallback)
            m_fallback = std::make_unique<IconvHandle>("CP932", kUtf32);
        if (!m_fallback->valid())
            return std::nullopt;
        std::optional<QByteArray> bytes = iconvEncode(*m_fallback, codePoint);
        if (bytes && bytes->size() > 2)
            return std::nullopt;
        return bytes;
    }

private:
    // Decoded characters live in the BMP and are never surrogates (those are our escapes).
    static bool isTableChar(char32_t ch) { return ch != 0 && ch <= 0xFFFF && (ch < 0xD800 || ch > 0xDFFF); }

    // Records how iconv encodes `ch`; true when that gives back `source`.
    bool remember(IconvHandle& encoder, char32_t ch, const QByteArray& source)
    {
        const std::optional<QByteArray> bytes = iconvEncode(encoder, ch);
        if (!bytes || bytes->size() > 2)
            return false;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes->constData());
        m_encoded[ch] = bytes->size() == 2 ? static_cast<std::uint16_t>(data[0] << 8 | data[1]) : data[0];
        return *bytes == source;
    }

    bool m_available = false;
    std::array<ByteKind, 256> m_kind{};
    std::array<char16_t, 256> m_single{};
    std::vector<char16_t> m_pairs;
    std::vector<bool> m_nonCanonical;
    std::vector<std::uint16_t> m_encoded;
    mutable std::mutex m_fallbackMutex;
    mutable std::unique_ptr<IconvHandle> m_fallback;
};

const Cp932Tables& tables()
{
    static const Cp932Tables instance;
    return instance;
}

}  // namespace

QString decodeCp932(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    // Every byte gives at most one UTF-16 unit.
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype written = 0;
    const Cp932Tables* table = nullptr;
    qsizetype i = 0;
    while (i < size) {
        const unsigned char byte = in[i];
        if (byte < 0x80) {
            out[written++] = byte;
            ++i;
            continue;
        }
        if (!table)
            table = &tables();
        if (!table->available()) {
            out[written++] = kEscapeBase + byte;
            ++i;
            continue;
        }
        switch (table->kind(byte)) {
        case ByteKind::Single:
            out[written++] = table->single(byte);
            ++i;
            break;
        case ByteKind::Invalid:
            out[written++] = kEscapeBase + byte;
            ++i;
            break;
        case ByteKind::Lead: {
            const unsigned char trail = i + 1 < size ? in[i + 1] : 0;
            const char16_t ch = i + 1 < size ? table->pair(byte, trail) : kNoChar;
            if (ch == kNoChar) {
                // Escape the lead byte alone; the next byte starts afresh.
                out[written++] = kEscapeBase + byte;
                ++i;
            } else if (table->nonCanonical(byte, trail)) {
                out[written++] = kEscapeBase + byte;
                out[written++] = trail < 0x80 ? char16_t(trail) : char16_t(kEscapeBase + trail);
                i += 2;
            } else {
                out[written++] = ch;
                i += 2;
            }
            break;
        }
        }
    }
    text.truncate(written);
    return text;
}

qsizetype appendCp932(QByteArray& out, QStringView text)
{
    const qsizetype size = text.size();
    const char16_t* in = text.utf16();
    const qsizetype start = out.size();
    // Every UTF-16 unit gives at most two bytes; the unused room is cut off at the end.
    out.resize(start + size * 2);
    char* bytes = out.data() + start;
    qsizetype written = 0;
    const Cp932Tables* table = nullptr;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = in[i];
        if (ch < 0x80) {
            bytes[written++] = static_cast<char>(ch);
            continue;
        }
        if (ch >= kEscapeBase + 0x80 && ch <= kEscapeBase + 0xFF) {
            bytes[written++] = static_cast<char>(ch - kEscapeBase);
            continue;
        }
        if (!table)
            table = &tables();
        const std::uint16_t known = QChar::isSurrogate(ch) ? kNoBytes : table->encoded(ch);
        if (known != kNoBytes) {
            if (known > 0xFF)
                bytes[written++] = static_cast<char>(known >> 8);
            bytes[written++] = static_cast<char>(known & 0xFF);
            continue;
        }
        const bool pairHere = QChar::isHighSurrogate(ch) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]);
        std::optional<QByteArray> unknown;
        if (pairHere)
            unknown = table->encodeUnknown(QChar::surrogateToUcs4(ch, in[i + 1]));
        else if (!QChar::isSurrogate(ch))
            unknown = table->encodeUnknown(ch);
        if (!unknown) {
            out.resize(start);
            return i;
        }
        std::memcpy(bytes + written, unknown->constData(), static_cast<std::size_t>(unknown->size()));
        written += unknown->size();
        if (pairHere)
            ++i;
    }
    out.resize(start + written);
    return -1;
}

EncodeResult encodeCp932(QStringView text)
{
    EncodeResult result;
    const qsizetype unencodable = appendCp932(result.bytes, text);
    if (unencodable >= 0) {
        result.bytes.clear();
        result.errorOffset = unencodable;
        result.error = unencodableMessage(text, unencodable, encodingName(TextEncoding::Cp932));
    }
    return result;
}

QByteArray encodeCp932ForDisplay(QStringView text)
{
    const QByteArray substitute = QByteArrayLiteral("\x81\xAC");  // 〓
    QByteArray bytes;
    qsizetype from = 0;
    while (from < text.size()) {
        const QStringView rest = text.sliced(from);
        const EncodeResult result = encodeCp932(rest);
        if (result.ok()) {
            bytes.append(result.bytes);
            break;
        }
        bytes.append(encodeCp932(rest.first(result.errorOffset)).bytes).append(substitute);
        const bool pair = QChar::isHighSurrogate(rest[result.errorOffset].unicode())
                          && result.errorOffset + 1 < rest.size()
                          && QChar::isLowSurrogate(rest[result.errorOffset + 1].unicode());
        from += result.errorOffset + (pair ? 2 : 1);
    }
    return bytes;
}

}  // namespace lyricue
