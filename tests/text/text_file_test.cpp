#include "text/ansi_text.h"
#include "support/test_files.h"
#include "base/file_error_reason.h"
#include "support/test_data.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

// The bytes a file should have after a load and a save: the same lines, each cut at
// its first NUL and ended by CR LF. Works on bytes, which is sound for CP932 and
// UTF-8: neither uses CR, LF or NUL inside a character.
QByteArray normalisedLineEnds(const QByteArray& raw)
{
    QByteArray out;
    qsizetype start = 0;
    const auto addLine = [&](qsizetype end) {
        QByteArray line = raw.mid(start, end - start);
        if (const qsizetype nul = line.indexOf('\0'); nul >= 0)
            line.truncate(nul);
        out.append(line).append("\r\n");
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\r' && raw[i] != '\n')
            continue;
        addLine(i);
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < raw.size())
        addLine(raw.size());
    return out;
}

const QStringList kFixtureLines = {
    str(u"[00:00:50]はじめの行"),
    str(u"[00:01:00]二行目"),
    QString(),
    str(u"[00:02:00]三行目 end"),
};

TEST(ReadTextLines, ReadsEachFixture)
{
    const struct {
        const char* name;
        TextEncoding encoding;
        QStringList lines;
    } cases[] = {
        {"lyrics_cp932_crlf.txt", TextEncoding::Cp932, kFixtureLines},
        {"lyrics_cp932_lf.txt", TextEncoding::Cp932, kFixtureLines},
        {"lyrics_cp932_cr.txt", TextEncoding::Cp932, kFixtureLines},
        {"lyrics_utf8_lf.txt", TextEncoding::Utf8, kFixtureLines},
        {"lyrics_utf8_bom_crlf.txt", TextEncoding::Utf8WithBom, kFixtureLines},
        {"lyrics_invalid_bytes.txt", TextEncoding::Cp932,
         {QStringLiteral("[00:01:00]ok"), str(u"[00:02:00]bad\xDC85@here"), str(u"\xDCFDlone"),
          str(u"end\xDC81")}},
        {"lyrics_nul.txt", TextEncoding::Cp932, {str(u"[00:01:00]前半"), QStringLiteral("next")}},
    };
    for (const auto& c : cases) {
        const ResultOf<TextFileContent> content = readTextLines(testDataPath(QString::fromLatin1(c.name)));
        EXPECT_TRUE(content.ok()) << c.name << ": " << content.errorString().toStdString();
        ASSERT_TRUE(content.ok());
        EXPECT_EQ(content->encoding, c.encoding) << c.name;
        EXPECT_EQ(content->lines, c.lines) << c.name;
    }
}

TEST(TextFileRoundTrip, EachFixtureComesBackWithCrLfLineEnds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList fixtures =
        QDir(testDataPath(QString())).entryList({QStringLiteral("lyrics_*.txt")}, QDir::Files);
    ASSERT_EQ(fixtures.size(), 8);
    for (const QString& name : fixtures) {
        const QByteArray original = readTestFile(testDataPath(name));
        const ResultOf<TextFileContent> content = readTextLines(testDataPath(name));
        ASSERT_TRUE(content.ok()) << name.toStdString();
        const QString copy = dir.filePath(name);
        EXPECT_TRUE(writeTextLines(copy, content->lines, content->encoding).ok()) << name.toStdString();
        EXPECT_EQ(readTestFile(copy), normalisedLineEnds(original)) << name.toStdString();
    }
    // Files already in the written form come back byte for byte.
    for (const char* name : {"lyrics_cp932_crlf.txt", "lyrics_utf8_bom_crlf.txt", "lyrics_invalid_bytes.txt"})
        EXPECT_EQ(readTestFile(dir.filePath(QString::fromLatin1(name))),
                  readTestFile(testDataPath(QString::fromLatin1(name))))
            << name;
}

TEST(TextFileRoundTrip, RandomBytesComeBackUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes;
        for (int line = 0; line < 200; ++line) {
            for (int i = random.bounded(40); i > 0; --i) {
                char b = '\0';
                while (b == '\0' || b == '\r' || b == '\n')
                    b = static_cast<char>(random.bounded(0x100));
                bytes.append(b);
            }
            bytes.append("\r\n");
        }
        const QString path = dir.filePath(QStringLiteral("random.txt"));
        writeTestFile(path, bytes);
        const ResultOf<TextFileContent> content = readTextLines(path);
        ASSERT_TRUE(content.ok());
        ASSERT_EQ(content->lines.size(), 200);
        ASSERT_TRUE(writeTextLines(path, content->lines, content->encoding).ok());
        ASSERT_EQ(readTestFile(path), bytes) << "seed " << seed;
    }
}

TEST(ReadTextLines, ReportsFilesThatCannotBeRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {missing, folder}) {
        const ResultOf<TextFileContent> content = readTextLines(path);
        EXPECT_FALSE(content.ok()) << path.toStdString();
        EXPECT_TRUE(content.errorString().contains(QDir::toNativeSeparators(path))) << content.errorString().toStdString();
    }
    EXPECT_TRUE(readTextLines(missing).errorString().contains(str(u"ファイルまたはフォルダーが見つかりません")));
    EXPECT_TRUE(readTextLines(folder).errorString().contains(str(u"ファイルではなくフォルダーです")));
}

TEST(TextFileRoundTrip, LargestSheetRoundTrips)
{
    // 32,766 lines, the most a sheet holds.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    const QStringList lines(32766, str(u"[01:23:45]春はあけぼの、やうやう白くなりゆく山際 abc"));
    ASSERT_TRUE(writeTextLines(path, lines, TextEncoding::Cp932).ok());
    const ResultOf<TextFileContent> content = readTextLines(path);
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content->encoding, TextEncoding::Cp932);
    EXPECT_EQ(content->lines, lines);
}

TEST(ReadTextLines, EmptyFileHasNoLines)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("empty.txt"));
    writeTestFile(path, QByteArray());
    const ResultOf<TextFileContent> content = readTextLines(path);
    EXPECT_TRUE(content.ok());
    EXPECT_TRUE(content->lines.isEmpty());
}

TEST(WriteTextLines, WritesEveryLineWithCrLfInItsEncoding)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    writeTestFile(path, QByteArray(5000, 'x'));  // a longer old file leaves nothing behind
    const QStringList lines = {str(u"[00:01:00]あ"), QString(), QStringLiteral("z")};
    const struct {
        TextEncoding encoding;
        const char* hex;
    } cases[] = {
        {TextEncoding::Cp932, "5b30303a30313a30305d82a0" "0d0a" "0d0a" "7a0d0a"},
        {TextEncoding::Utf8, "5b30303a30313a30305de38182" "0d0a" "0d0a" "7a0d0a"},
        {TextEncoding::Utf8WithBom, "efbbbf5b30303a30313a30305de38182" "0d0a" "0d0a" "7a0d0a"},
        {TextEncoding::Utf16Le, "fffe5b0030003000" "3a00300031003a0030003000" "5d004230" "0d000a00" "0d000a00" "7a000d000a00"},
        {TextEncoding::Utf16Be, "feff005b00300030" "003a00300031003a00300030" "005d3042" "000d000a" "000d000a" "007a000d000a"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(writeTextLines(path, lines, c.encoding).ok());
        EXPECT_EQ(readTestFile(path).toHex(), QByteArray(c.hex));
    }
    EXPECT_TRUE(writeTextLines(path, {}, TextEncoding::Cp932).ok());
    EXPECT_EQ(readTestFile(path), QByteArray());
}

TEST(WriteTextLines, UnencodableCharacterNamesItsLineAndWritesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("song.txt"));
    writeTestFile(path, "old\r\n");
    const QStringList lines = {QStringLiteral("one"), QStringLiteral("two"), str(u"[00:03:00]三\U0001F600")};
    const QString error = writeTextLines(path, lines, TextEncoding::Cp932).errorString();
    for (const QString& part : {QDir::toNativeSeparators(path), QStringLiteral("3 行目"),
                                str(u"\U0001F600"), QStringLiteral("U+1F600")})
        EXPECT_TRUE(error.contains(part)) << error.toStdString() << " lacks " << part.toStdString();
    EXPECT_EQ(readTestFile(path), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("song.txt")});

    // UTF-8 holds the emoji and a carried byte, but no lone surrogate of its own.
    EXPECT_TRUE(writeTextLines(path, lines, TextEncoding::Utf8).ok());
    EXPECT_TRUE(writeTextLines(path, {str(u"b\xDC85")}, TextEncoding::Utf8).ok());
    EXPECT_EQ(readTestFile(path), QByteArray("b\x85\r\n"));
    const QString utf8Error =
        writeTextLines(path, {QStringLiteral("a"), str(u"b\xD800")}, TextEncoding::Utf8).errorString();
    EXPECT_TRUE(utf8Error.contains(QStringLiteral("2 行目"))) << utf8Error.toStdString();
    EXPECT_TRUE(utf8Error.contains(QStringLiteral("U+D800"))) << utf8Error.toStdString();
}

TEST(WriteTextLines, LinesBuiltOneByOneWriteWhatTheListWrites)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("song.txt"));
    // A long line before short ones: the scratch text must not keep its old tail.
    const QStringList lines = {str(u"[00:01:00]春はあけぼの、やうやう白くなりゆく"), QString(), str(u"夏\xDC85"),
                               QStringLiteral("z")};
    const auto buildInScratch = [&lines](qsizetype index, QString& scratch) {
        scratch.resize(0);
        scratch.append(lines[index]);
        return QStringView(scratch);
    };
    // CP932 and UTF-8 give the carried byte back; UTF-16 refuses a lone one on line 3.
    for (const TextEncoding encoding : {TextEncoding::Cp932, TextEncoding::Utf8WithBom, TextEncoding::Utf16Le}) {
        writeTestFile(path, "old\r\n");
        const QString listError = writeTextLines(path, lines, encoding).errorString();
        const QByteArray listBytes = readTestFile(path);
        writeTestFile(path, "old\r\n");
        EXPECT_EQ(writeTextLines(path, lines.size(), buildInScratch, encoding).errorString(), listError);
        EXPECT_EQ(readTestFile(path), listBytes);
        EXPECT_EQ(listError.contains(QStringLiteral("3 行目")), encoding == TextEncoding::Utf16Le)
            << listError.toStdString();
    }
}

TEST(WriteTextLines, FailureLeavesTheOldFileAndNamesTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath(QStringLiteral("plain.txt"));
    writeTestFile(plainFile, "keep\r\n");
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString targets[] = {
        dir.filePath(QStringLiteral("missing/song.txt")),  // folder does not exist
        plainFile + QStringLiteral("/song.txt"),            // "folder" is a file
        folder,                                             // target is a folder
    };
    for (const QString& target : targets) {
        const QString error = writeTextLines(target, {QStringLiteral("x")}, TextEncoding::Cp932).errorString();
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(target))) << error.toStdString();
        // Something after the path: the reason from the file system.
        EXPECT_GT(error.size(), QDir::toNativeSeparators(target).size() + 12) << error.toStdString();
    }
    EXPECT_EQ(readTestFile(plainFile), QByteArray("keep\r\n"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

// True when the permission bits do not stop this user from writing (root).
bool permissionsIgnored(const QString& readOnlyFile)
{
    QFile probe(readOnlyFile);
    return probe.open(QIODevice::Append);
}

TEST(TextFilePermissions, ReadOnlyFileOrFolderIsNotReplacedAndUnreadableFileIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString readOnlyFile = dir.filePath(QStringLiteral("locked.txt"));
    writeTestFile(readOnlyFile, "keep\r\n");
    ASSERT_TRUE(QFile::setPermissions(readOnlyFile, QFile::ReadOwner | QFile::ReadUser));
    if (permissionsIgnored(readOnlyFile))
        GTEST_SKIP() << "permission bits do not bind this user (root); the other write "
                        "failures are covered by FailureLeavesTheOldFileAndNamesTheReason";

    const QString readOnlyError = writeTextLines(readOnlyFile, {QStringLiteral("new")}, TextEncoding::Cp932).errorString();
    EXPECT_TRUE(readOnlyError.contains(str(u"ファイルが読み取り専用です"))) << readOnlyError.toStdString();
    EXPECT_EQ(readTestFile(readOnlyFile), QByteArray("keep\r\n"));

    const QString lockedFolder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(lockedFolder));
    const QString inFolder = lockedFolder + QStringLiteral("/song.txt");
    writeTestFile(inFolder, "keep\r\n");
    ASSERT_TRUE(QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::ExeOwner));
    const QString error = writeTextLines(inFolder, {QStringLiteral("new")}, TextEncoding::Cp932).errorString();
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(inFolder))) << error.toStdString();
    EXPECT_TRUE(error.contains(str(u"アクセス権限がありません"))) << error.toStdString();
    EXPECT_EQ(readTestFile(inFolder), QByteArray("keep\r\n"));
    QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A file this user may not read.
    ASSERT_TRUE(QFile::setPermissions(readOnlyFile, QFile::WriteOwner));
    const ResultOf<TextFileContent> content = readTextLines(readOnlyFile);
    EXPECT_TRUE(content.errorString().contains(QDir::toNativeSeparators(readOnlyFile))) << content.errorString().toStdString();
    EXPECT_TRUE(content.errorString().contains(str(u"アクセス権限がありません"))) << content.errorString().toStdString();
}

// Reasons the tests above cannot bring about (a full disk, a read-only file system,
// a file in use) as the system reports them, and one this program does not know.
TEST(FileErrorReason, CommonReasonsAreJapaneseAndUnknownOnesKeepTheSystemText)
{
    const struct {
        QString systemText;
        const char16_t* shown;
    } cases[] = {
        {qt_error_string(ENOSPC), u"ディスクの空き容量が足りません"},
        {qt_error_string(EROFS), u"読み取り専用のファイルシステムです"},
        {qt_error_string(ETXTBSY), u"ファイルが他のプログラムで使用中です"},
        {qt_error_string(EPERM), u"アクセス権限がありません"},
        {QStringLiteral("Existing file /music/a.txt is not writable"), u"ファイルが読み取り専用です"},
        {QStringLiteral("Something unheard of"), u"Something unheard of"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileErrorReason(c.systemText), str(c.shown)) << c.systemText.toStdString();
}

}  // namespace

}  // namespace lyricue
