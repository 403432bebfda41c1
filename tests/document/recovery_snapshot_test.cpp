#include "document/recovery_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lyricue {

namespace {

RecoverySnapshot snapshotWith(std::vector<LyricLine> lines, std::int16_t lineCount, TextEncoding encoding)
{
    RecoverySnapshot snapshot;
    snapshot.header = {QStringLiteral("Time Tag"), QStringLiteral("歌詞")};
    snapshot.content.lines = std::move(lines);
    snapshot.content.lineCount = lineCount;
    snapshot.content.encoding = encoding;
    snapshot.content.sourcePath = QStringLiteral("/曲/夜明け.txt");
    snapshot.content.savedPath = QStringLiteral("/曲/夜明け 2.txt");
    snapshot.content.lyricsPath = snapshot.content.savedPath;
    snapshot.trackPath = QStringLiteral("/曲/夜明け.mp3");
    snapshot.content.cursor = {3, std::min(4, static_cast<int>(snapshot.content.lines.size()))};
    snapshot.changedAt = QDateTime::fromMSecsSinceEpoch(1796724900123);
    return snapshot;
}

void expectSame(const RecoverySnapshot& read, const RecoverySnapshot& written)
{
    EXPECT_EQ(read.header, written.header);
    EXPECT_TRUE(read.content.lines == written.content.lines);
    EXPECT_EQ(read.content.lineCount, written.content.lineCount);
    EXPECT_EQ(read.content.sourcePath, written.content.sourcePath);
    EXPECT_EQ(read.content.savedPath, written.content.savedPath);
    EXPECT_EQ(read.content.encoding, written.content.encoding);
    EXPECT_EQ(read.content.lrcHeaders, written.content.lrcHeaders);
    EXPECT_EQ(read.content.lyricsPath, written.content.lyricsPath);
    EXPECT_EQ(read.trackPath, written.trackPath);
    EXPECT_EQ(read.content.cursor.stampRow, written.content.cursor.stampRow);
    EXPECT_EQ(read.content.cursor.row, written.content.cursor.row);
    EXPECT_EQ(read.changedAt, written.changedAt);
}

// Carried bytes (lone surrogates), a lone high surrogate, NUL, full-width text and empty cells.
const std::vector<LyricLine> OddLines = {
    {QStringLiteral("[00:01:23]"), QStringLiteral("夜明けの空に ") + QChar(0xDC81) + QChar(0xDCFF)},
    {QString(), QChar(0xD800) + QStringLiteral(" half a pair, and a NUL ") + QChar(0) + QStringLiteral(" inside")},
    {QStringLiteral("[Intro]"), QString()},
    {QString(), QString()},
};

std::vector<LyricLine> manyLines(int count)
{
    std::vector<LyricLine> lines;
    for (int line = 0; line < count; ++line)
        lines.push_back({QStringLiteral("[%1:00:00]").arg(line % 100, 2, 10, QLatin1Char('0')),
                         QStringLiteral("歌詞の行 %1").arg(line)});
    return lines;
}

TEST(RecoverySnapshot, ComesBackExactly)
{
    RecoverySnapshot lrc = snapshotWith(OddLines, 4, TextEncoding::Utf8);
    lrc.content.lrcHeaders = {QStringLiteral("[ti:夜明け]"), QStringLiteral("[ar:誰か]")};
    const RecoverySnapshot cases[] = {
        snapshotWith(OddLines, 3, TextEncoding::Utf16Be),
        lrc,
        snapshotWith({{QStringLiteral("[00:00:00]"), QString()}}, 0, TextEncoding::Cp932),  // an empty load
        snapshotWith(std::vector<LyricLine>(14), 14, TextEncoding::Cp932),                 // the start-up sheet
        snapshotWith(manyLines(MaxLyricLines), MaxLyricLines, TextEncoding::Utf8WithBom),
    };
    for (const RecoverySnapshot& written : cases) {
        SCOPED_TRACE(written.content.lines.size());
        const ResultOf<RecoverySnapshot> read = recoverySnapshotOf(recoveryBytes(written));
        ASSERT_TRUE(read.ok()) << read.errorString().toStdString();
        expectSame(read.value(), written);
    }
}

// Any cut, any flipped bit and any foreign file is refused with its reason, never read as lyrics.
TEST(RecoverySnapshot, DamagedOrForeignCopiesAreRefused)
{
    const QByteArray good = recoveryBytes(snapshotWith(OddLines, 4, TextEncoding::Cp932));
    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(recoverySnapshotOf(good.left(size)).ok()) << "cut at " << size;
    for (qsizetype at = 0; at < good.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray flipped = good;
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
            EXPECT_FALSE(recoverySnapshotOf(flipped).ok()) << "bit " << bit << " of byte " << at;
        }
    }

    QByteArray newer = good;
    newer[16] = 2;  // the version, right after the mark
    const struct {
        QByteArray bytes;
        QString reason;
    } refused[] = {
        {QByteArray("[00:01:23]lyrics\r\n"), QStringLiteral("Lyricue の復元用の控えではありません")},
        {QByteArray(), QStringLiteral("Lyricue の復元用の控えではありません")},
        {newer, QStringLiteral("新しい版の Lyricue が書いた控えです (形式 2)")},
        {good + "x", QStringLiteral("控えが壊れています (%1 バイトのはずが %2 バイトです)")
                         .arg(good.size())
                         .arg(good.size() + 1)},
        {good.chopped(1) + char(good.back() ^ 1), QStringLiteral("控えが壊れています (検査値が合いません)")},
    };
    for (const auto& [bytes, reason] : refused) {
        const ResultOf<RecoverySnapshot> read = recoverySnapshotOf(bytes);
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.errorString(), reason);
    }
}

}  // namespace

}  // namespace lyricue
