#include "document/recovery_snapshot.h"

#include <QSysInfo>
#include <QtEndian>

#include <cstring>
#include <limits>

#include <zlib.h>

namespace lyricue {

namespace {

// "LyricueRecovery" and a line feed: a copy of this program's, and not a text file.
constexpr char Mark[16] = {'L', 'y', 'r', 'i', 'c', 'u', 'e', 'R', 'e', 'c', 'o', 'v', 'e', 'r', 'y', '\n'};
constexpr quint32 FormatVersion = 1;
// The mark, the version, the length of the body and its checksum.
constexpr qsizetype HeadSize = sizeof Mark + 4 + 8 + 4;

quint32 crc32Of(QByteArrayView bytes)
{
    return quint32(crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                           std::size_t(bytes.size())));
}

constexpr TextEncoding Encodings[] = {TextEncoding::Cp932, TextEncoding::Utf8, TextEncoding::Utf8WithBom,
                                      TextEncoding::Utf16Le, TextEncoding::Utf16Be};

quint8 encodingNumber(TextEncoding encoding)
{
    for (quint8 number = 0; number < std::size(Encodings); ++number)
        if (Encodings[number] == encoding)
            return number;
    return 0;
}

// Numbers little-endian, texts as their length in code units and the code units,
// into a buffer made large enough at the start.
class Output {
public:
    explicit Output(qsizetype room) : m_bytes(room, Qt::Uninitialized), m_at(m_bytes.data()) {}

    void raw(const void* data, std::size_t size)
    {
        Q_ASSERT(m_at + size <= m_bytes.data() + m_bytes.size());
        std::memcpy(m_at, data, size);
        m_at += size;
    }
    template <typename T>
    void number(T value)
    {
        const T little = qToLittleEndian(value);
        raw(&little, sizeof little);
    }
    void text(const QString& text)
    {
        number(static_cast<quint32>(text.size()));
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            raw(text.utf16(), static_cast<std::size_t>(text.size()) * 2);
        } else {
            for (const QChar unit : text)
                number(unit.unicode());
        }
    }
    // The bytes written; no more may follow.
    QByteArray take()
    {
        m_bytes.truncate(m_at - m_bytes.data());
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    char* m_at;
};

// Reads what Output wrote; any read past the end leaves it failed.
class Input {
public:
    explicit Input(QByteArrayView bytes) : m_bytes(bytes) {}

    template <typename T>
    T number()
    {
        if (!take(sizeof(T)))
            return T();
        T value;
        std::memcpy(&value, m_bytes.data() + m_at - sizeof(T), sizeof(T));
        return qFromLittleEndian(value);
    }
    QString text()
    {
        const quint32 length = number<quint32>();
        if (!take(static_cast<qsizetype>(length) * 2))
            return QString();
        QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
        const char* units = m_bytes.data() + m_at - static_cast<qsizetype>(length) * 2;
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            std::memcpy(text.data(), units, static_cast<std::size_t>(length) * 2);
        } else {
            for (quint32 i = 0; i < length; ++i)
                text[i] = QChar(qFromLittleEndian<quint16>(units + 2 * i));
        }
        return text;
    }
    bool failed() const { return m_failed; }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    bool take(qsizetype size)
    {
        if (m_failed || size > m_bytes.size() - m_at) {
            m_failed = true;
            return false;
        }
        m_at += size;
        return true;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_failed = false;
};

qsizetype bodySize(const RecoverySnapshot& snapshot)
{
    qsizetype units = snapshot.header[0].size() + snapshot.header[1].size() + snapshot.content.sourcePath.size()
                      + snapshot.content.savedPath.size() + snapshot.content.lyricsPath.size() + snapshot.trackPath.size();
    qsizetype texts = 6 + snapshot.content.lrcHeaders.size() + 2 * static_cast<qsizetype>(snapshot.content.lines.size());
    for (const QString& header : snapshot.content.lrcHeaders)
        units += header.size();
    for (const LyricLine& line : snapshot.content.lines)
        units += line.tag.size() + line.text.size();
    return 32 + 4 * texts + 2 * units;  // the numbers, then each text's length and code units
}

Result damaged(const QString& what)
{
    return Result::failure(QStringLiteral("控えが壊れています (%1)").arg(what));
}

}  // namespace

RecoverySnapshot snapshotOf(const LyricsDocument& document)
{
    RecoverySnapshot snapshot;
    snapshot.header = {document.cellAt(0), document.cellAt(1)};
    snapshot.content = document.content();
    snapshot.trackPath = document.trackPath();
    return snapshot;
}

QByteArray recoveryBytes(const RecoverySnapshot& snapshot)
{
    const LyricsContent& content = snapshot.content;
    Output out(HeadSize + bodySize(snapshot));
    out.raw(Mark, sizeof Mark);
    out.number(FormatVersion);
    out.number(quint64(0));  // the body's length and checksum, filled in below
    out.number(quint32(0));
    out.number(static_cast<qint64>(snapshot.changedAt.isValid() ? snapshot.changedAt.toMSecsSinceEpoch() : 0));
    out.number(encodingNumber(content.encoding));
    out.number(static_cast<qint32>(content.lineCount));
    out.number(static_cast<qint32>(snapshot.content.cursor.stampRow));
    out.number(static_cast<qint32>(snapshot.content.cursor.row));
    for (const QString* text : {&snapshot.header[0], &snapshot.header[1], &content.sourcePath, &content.savedPath,
                                &snapshot.content.lyricsPath, &snapshot.trackPath})
        out.text(*text);
    out.number(static_cast<quint32>(content.lrcHeaders.size()));
    for (const QString& header : content.lrcHeaders)
        out.text(header);
    out.number(static_cast<quint32>(content.lines.size()));
    for (const LyricLine& line : content.lines) {
        out.text(line.tag);
        out.text(line.text);
    }

    QByteArray bytes = out.take();
    const QByteArrayView body = QByteArrayView(bytes).sliced(HeadSize);
    const quint64 length = qToLittleEndian(static_cast<quint64>(body.size()));
    const quint32 checksum = qToLittleEndian(crc32Of(body));
    std::memcpy(bytes.data() + sizeof Mark + 4, &length, sizeof length);
    std::memcpy(bytes.data() + sizeof Mark + 12, &checksum, sizeof checksum);
    return bytes;
}

ResultOf<RecoverySnapshot> recoverySnapshotOf(QByteArrayView bytes)
{
    if (bytes.size() < qsizetype(sizeof Mark) || std::memcmp(bytes.data(), Mark, sizeof Mark) != 0)
        return Result::failure(QStringLiteral("Lyricue の復元用の控えではありません"));
    Input head(bytes.sliced(sizeof Mark));
    const quint32 version = head.number<quint32>();
    const quint64 length = head.number<quint64>();
    const quint32 checksum = head.number<quint32>();
    if (head.failed())
        return damaged(QStringLiteral("途中で切れています"));
    if (version != FormatVersion)
        return Result::failure(version > FormatVersion
                                   ? QStringLiteral("新しい版の Lyricue が書いた控えです (形式 %1)").arg(version)
                                   : QStringLiteral("Lyricue の復元用の控えではありません (形式 %1)").arg(version));
    const QByteArrayView body = bytes.sliced(HeadSize);
    if (length != static_cast<quint64>(body.size()))
        return damaged(QStringLiteral("%1 バイトのはずが %2 バイトです")
                           .arg(QString::number(length + HeadSize), QString::number(bytes.size())));
    if (crc32Of(body) != checksum)
        return damaged(QStringLiteral("検査値が合いません"));

    Input in(body);
    RecoverySnapshot snapshot;
    LyricsContent& content = snapshot.content;
    snapshot.changedAt = QDateTime::fromMSecsSinceEpoch(in.number<qint64>());
    const quint8 encoding = in.number<quint8>();
    const qint32 lineCount = in.number<qint32>();
    snapshot.content.cursor.stampRow = in.number<qint32>();
    snapshot.content.cursor.row = in.number<qint32>();
    for (QString* text : {&snapshot.header[0], &snapshot.header[1], &content.sourcePath, &content.savedPath,
                          &snapshot.content.lyricsPath, &snapshot.trackPath})
        *text = in.text();
    const quint32 headerCount = in.number<quint32>();
    for (quint32 header = 0; header < headerCount && !in.failed(); ++header)
        content.lrcHeaders.append(in.text());
    const quint32 lines = in.number<quint32>();
    const bool fits = lines <= static_cast<quint32>(MaxLyricLines) && !in.failed();
    if (fits) {
        content.lines.resize(lines);
        for (LyricLine& line : content.lines) {
            line.tag = in.text();
            line.text = in.text();
        }
    }
    const auto int16Range = [](qint32 value) {
        return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
    };
    if (in.failed() || !in.atEnd() || !fits || encoding >= std::size(Encodings) || lineCount < 0
        || !int16Range(lineCount) || !int16Range(snapshot.content.cursor.stampRow) || snapshot.content.cursor.row < 0
        || snapshot.content.cursor.row > static_cast<qint32>(lines))
        return damaged(QStringLiteral("中身の形が合いません"));
    content.encoding = Encodings[encoding];
    content.lineCount = static_cast<std::int16_t>(lineCount);
    return snapshot;
}

}  // namespace lyricue
