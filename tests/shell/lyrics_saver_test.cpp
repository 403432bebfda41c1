#include "shell/lyrics_files_fixture.h"
#include "shell/file_dialogs.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"
#include "support/test_data.h"

#include <QDir>
#include <QFileInfo>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

using SaveLyricsTest = LyricsFilesFixture;

// A sheet of the given lines, as a load would leave it, with LyricsPath in the folder.
void fillSheet(LyricsSheet& sheet, const QList<QStringList>& lines)
{
    sheet.setRows(static_cast<int>(lines.size()) + 1);
    for (int line = 0; line < lines.size(); ++line) {
        sheet.setCellAt(LineTagIndex(sheet, line), lines[line][0]);
        sheet.setCellAt(LineTagIndex(sheet, line) + 1, lines[line][1]);
    }
    sheet.document().setLineCount(static_cast<std::int16_t>(lines.size()));
}

// --- what is written ------------------------------------------------------

TEST_F(SaveLyricsTest, WritesTagThenTextForRowsOneToLineCount)
{
    fillSheet(sheet,
              {{QStringLiteral("[01:23:45]"), QStringLiteral("Hello")},
               {QString(), str(u"タグなし")},
               {QString(), QString()},
               {QStringLiteral("[00:00:01]"), QString()},
               {QStringLiteral("[09:09:09]"), QStringLiteral("beyond LineCount")}});
    document.setLineCount(4);
    document.setLyricsPath(path(QStringLiteral("out.txt")));

    EXPECT_TRUE(WriteLyricsFile(document, document.LyricsPath()).ok());

    EXPECT_EQ(readBytes(document.LyricsPath()), cp932(str(u"[01:23:45]Hello\r\nタグなし\r\n\r\n[00:00:01]\r\n")));
}

TEST_F(SaveLyricsTest, LineCountZeroWritesAnEmptyFileAndStillTellsSo)
{
    const QString file = loadBytes(QByteArray());  // the empty load: one line row, LineCount 0
    prompts.clearShown();
    writeBytes(file, "old\r\n");
    files.SelectedPath = file;

    SaveAndLoadLyrics(files);

    EXPECT_EQ(readBytes(file), QByteArray());
    EXPECT_EQ(prompts.messages(), QStringList{file + str(u"を Save & Load しました")});
}

TEST_F(SaveLyricsTest, WrittenLinesLoadBackIntoTheSameCells)
{
    const QList<QStringList> lines = {{QStringLiteral("[01:23:45]"), QStringLiteral("Hello")},
                                      {QStringLiteral("[01:23]"), str(u" 歌詞")},
                                      {QString(), QStringLiteral("plain")},
                                      {QStringLiteral("[00:00:02]"), QStringLiteral("[Chorus]")}};
    fillSheet(sheet, lines);
    document.setLyricsPath(path(QStringLiteral("round.txt")));
    ASSERT_TRUE(WriteLyricsFile(document, document.LyricsPath()).ok());

    loadThroughDialog(document.LyricsPath());

    EXPECT_EQ(column(0), (QStringList{lines[0][0], lines[1][0], QString(), lines[3][0]}));
    EXPECT_EQ(column(1), (QStringList{lines[0][1], lines[1][1], lines[2][1], lines[3][1]}));
}

// --- the two commands -----------------------------------------------------

TEST_F(SaveLyricsTest, LinesWithoutAFileAreSavedUnderANameTheUserChooses)
{
    sheet.setCellAt(LineTagIndex(sheet, 0) + 1, QStringLiteral("typed from scratch"));
    sheet.document().setLineCount(1);

    SaveAndLoadLyrics(files);  // no file to save to: it says so and where to go
    EXPECT_EQ(prompts.messages(), QStringList{str(u"歌詞の保存先がまだありません。「歌詞保存」で保存先を選んでください")});
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    prompts.queueSaveCancel();
    SaveLyrics(files);  // with no track, the dialog proposes no name
    document.setTrackPath(path(QStringLiteral("song.mp3")));
    const QString proposed = path(QStringLiteral("song.txt"));
    prompts.queueSaveAccept(proposed);
    SaveLyrics(files);  // with one, the track's name

    ASSERT_EQ(prompts.saveDialogs().size(), 2u);
    EXPECT_EQ(prompts.saveDialogs()[0].fileName, QString());
    EXPECT_EQ(prompts.saveDialogs()[1].fileName, proposed);
    EXPECT_EQ(prompts.saveDialogs()[1].filter, FileDialogFilter);
    EXPECT_EQ(readBytes(proposed), QByteArray("typed from scratch\r\n"));
    EXPECT_EQ(document.LyricsPath(), proposed);
    EXPECT_TRUE(engine.log().empty());
}

TEST_F(SaveLyricsTest, SaveLyricsWritesTheChosenFileAndMakesItTheLyricsFile)
{
    const QString loaded = loadBytes("[00:01:00]a\r\nb\r\n");
    const QString chosen = path(QStringLiteral("chosen.txt"));
    sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[00:02:00]"));
    prompts.queueSaveAccept(chosen);
    engine.clearLog();

    SaveLyrics(files);

    ASSERT_EQ(prompts.saveDialogs().size(), 1u);
    EXPECT_EQ(prompts.saveDialogs().front().fileName, loaded);
    EXPECT_EQ(prompts.saveDialogs().front().filterIndex, 2);
    EXPECT_EQ(readBytes(chosen), QByteArray("[00:01:00]a\r\n[00:02:00]b\r\n"));
    EXPECT_EQ(readBytes(loaded), QByteArray("[00:01:00]a\r\nb\r\n"));
    EXPECT_EQ(document.LyricsPath(), chosen);
    EXPECT_EQ(prompts.messages(), QStringList{chosen + str(u"を保存しました")});
    EXPECT_TRUE(engine.log().empty()) << "the engine keeps the file it had";
}

TEST_F(SaveLyricsTest, CancelledSaveDialogKeepsLyricsPathForSaveAndLoad)
{
    const QString loaded = loadBytes("a\r\n");
    sheet.setCellAt(LineTagIndex(sheet, 0) + 1, QStringLiteral("changed"));
    prompts.queueSaveCancel();

    SaveLyrics(files);

    EXPECT_EQ(document.LyricsPath(), loaded);
    EXPECT_EQ(files.SelectedPath, ErrorCancel);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(readBytes(loaded), QByteArray("a\r\n"));

    SaveAndLoadLyrics(files);  // the lines still belong to their file
    EXPECT_EQ(readBytes(loaded), QByteArray("[00:00:00]changed\r\n"));
    EXPECT_EQ(prompts.messages(), QStringList{loaded + str(u"を Save & Load しました")});
}

TEST_F(SaveLyricsTest, SaveAndLoadWritesInPlaceThenHandsTheFileToTheEngine)
{
    const QString loaded = loadBytes("a\r\nb\r\n");
    sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[00:03:21]"));
    engine.clearLog();
    prompts.clearShown();

    SaveAndLoadLyrics(files);

    EXPECT_EQ(readBytes(loaded), QByteArray("[00:00:00]a\r\n[00:03:21]b\r\n"));
    EXPECT_EQ(engine.callTexts(), std::vector<std::string>{"vbmp3_setLyricsFile(" + loaded.toStdString() + ")"});
    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: ") + loaded + str(u"を Save & Load しました")});
}

// --- byte for byte ----------------------------------------------------------

struct RoundTrip {
    const char* fixture;
    QByteArray stampedLine;   // line 1 as it is in the file
    QByteArray expectedLine;  // the same line after "[09:08:07]" went into its tag cell
    bool crLfAlready;         // the fixture's line ends are CR LF
};

void PrintTo(const RoundTrip& param, std::ostream* out)
{
    *out << param.fixture;
}

class ByteForByte : public LyricsFilesFixture, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(ByteForByte, OnlyTheStampedTagChanges)
{
    const QByteArray original = readBytes(testDataPath(QString::fromLatin1(GetParam().fixture)));
    ASSERT_TRUE(original.contains(GetParam().stampedLine));
    const QString file = loadBytes(original, QString::fromLatin1(GetParam().fixture));
    files.SelectedPath = file;
    QByteArray expected = original;
    if (!GetParam().crLfAlready)
        expected.replace("\n", "\r\n");

    SaveAndLoadLyrics(files);  // unchanged sheet
    EXPECT_EQ(readBytes(file), expected);

    sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[09:08:07]"));
    SaveAndLoadLyrics(files);
    expected.replace(GetParam().stampedLine, GetParam().expectedLine);
    EXPECT_EQ(readBytes(file), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, ByteForByte,
    ::testing::Values(
        // "bad" followed by 85 40, which CP932 does not hold; "\xFD" and a lone lead byte 81 follow.
        RoundTrip{"lyrics_invalid_bytes.txt", "[00:02:00]bad\x85\x40here", "[09:08:07]bad\x85\x40here", true},
        RoundTrip{"lyrics_cp932_crlf.txt", "[00:01:00]", "[09:08:07]", true},
        RoundTrip{"lyrics_utf8_bom_crlf.txt", "[00:01:00]", "[09:08:07]", true},
        RoundTrip{"lyrics_utf8_lf.txt", "[00:01:00]", "[09:08:07]", false},
        // Lines timed word by word keep their inner tags, their shapes and their "|".
        RoundTrip{"lyrics_words_cp932_crlf.txt", "[00:01:00]\x96\xe9[00:01:20]", "[09:08:07]\x96\xe9[00:01:20]", true}),
    [](const auto& info) {
        std::string name = info.param.fixture;
        return name.substr(0, name.find('.'));
    });

// Files written elsewhere, loaded and saved back: the same bytes when nothing
// changed, and only the stamped tag changed after a stamp.
struct ForeignFile {
    const char* name;
    QByteArray bytes;
    QByteArray stampedBytes;  // after "[09:08:07]" went into line 1's tag
};

void PrintTo(const ForeignFile& param, std::ostream* out)
{
    *out << param.name;
}

class ForeignFilesByteForByte : public LyricsFilesFixture, public ::testing::WithParamInterface<ForeignFile> {};

TEST_P(ForeignFilesByteForByte, ComeBackUnchangedButForTheStamp)
{
    const QString file = loadBytes(GetParam().bytes);
    files.SelectedPath = file;
    ASSERT_EQ(document.LineCount(), 2);

    SaveAndLoadLyrics(files);
    EXPECT_EQ(readBytes(file).toHex(), GetParam().bytes.toHex());

    sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[09:08:07]"));
    SaveAndLoadLyrics(files);
    EXPECT_EQ(readBytes(file).toHex(), GetParam().stampedBytes.toHex());
    EXPECT_EQ(prompts.messages(), QStringList(2, file + str(u"を Save & Load しました")));
}

QByteArray utf16(const char16_t* text, TextEncoding encoding)
{
    return encodeText(str(text), encoding).bytes;
}

// UTF-16 LE without the mark.
QByteArray le(const char16_t* text)
{
    return utf16(text, TextEncoding::Utf16Le).mid(2);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignFilesByteForByte,
    ::testing::Values(
        ForeignFile{"Utf16Le", utf16(u"[00:01:00]夜明け\r\nﾊｰﾄ🎵\r\n", TextEncoding::Utf16Le),
                    utf16(u"[00:01:00]夜明け\r\n[09:08:07]ﾊｰﾄ🎵\r\n", TextEncoding::Utf16Le)},
        ForeignFile{"Utf16Be", utf16(u"[00:01:00]a\r\nb\r\n", TextEncoding::Utf16Be),
                    utf16(u"[00:01:00]a\r\n[09:08:07]b\r\n", TextEncoding::Utf16Be)},
        // A lone low surrogate DC80 and a lone high D800: the bytes of the units stay.
        ForeignFile{"Utf16LeBrokenUnits",
                    "\xFF\xFE" + le(u"[00:01:00]a") + "\x80\xDC" + le(u"\r\n") + QByteArray("\x00\xD8", 2) + le(u"b\r\n"),
                    "\xFF\xFE" + le(u"[00:01:00]a") + "\x80\xDC" + le(u"\r\n[09:08:07]") + QByteArray("\x00\xD8", 2)
                        + le(u"b\r\n")},
        // An odd length: the last byte ends the file, with no line end after it.
        ForeignFile{"Utf16LeOddLength", "\xFF\xFE" + le(u"[00:01:00]a\r\nb") + "\xFF",
                    "\xFF\xFE" + le(u"[00:01:00]a\r\n[09:08:07]b") + "\xFF"},
        ForeignFile{"Utf8WithAStrayByte", str(u"[00:01:00]夜明けの空に君の声\r\n響く").toUtf8() + "\xff\r\n",
                    str(u"[00:01:00]夜明けの空に君の声\r\n[09:08:07]響く").toUtf8() + "\xff\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveLyricsTest, SaveAndLoadAsksBeforeReplacingTheLyricsOfAnotherTrack)
{
    // The first track's lyrics loaded; "読込" of a second track answered Cancel.
    const QString first = loadBytes("[00:01:00]first\r\n", QStringLiteral("first.txt"));
    const QString second = path(QStringLiteral("second.txt"));
    writeBytes(second, "second\r\n");
    files.SelectedPath = path(QStringLiteral("second.mp3"));
    prompts.queueAnswer(AnswerCancel);
    LoadLyrics(files);
    ASSERT_EQ(document.LyricsPath(), second);
    prompts.clearShown();

    prompts.queueAnswer(AnswerNo);
    SaveAndLoadLyrics(files);

    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().front().contains(QDir::toNativeSeparators(second)));
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(readBytes(second), QByteArray("second\r\n"));
    EXPECT_EQ(engine.countOf("vbmp3_setLyricsFile"), 1) << "only the first load's";
    EXPECT_EQ(readBytes(first), QByteArray("[00:01:00]first\r\n"));
}

// --- saves that cannot be done ------------------------------------------------

TEST_F(SaveLyricsTest, CharacterTheFileCannotHoldNamesLineAndCharacterAndWritesNothing)
{
    const QString loaded = loadBytes("a\r\nb\r\nc\r\n");
    sheet.setCellAt(LineTagIndex(sheet, 2) + 1, str(u"c 🎵"));
    const QString other = path(QStringLiteral("other.txt"));
    prompts.queueSaveAccept(other);
    const SheetSnapshot before = snapshot();
    engine.clearLog();

    SaveAndLoadLyrics(files);
    SaveLyrics(files);

    ASSERT_EQ(prompts.messages().size(), 2);
    for (const QString& message : prompts.messages()) {
        EXPECT_TRUE(message.contains(str(u"3 行目"))) << message.toStdString();
        EXPECT_TRUE(message.contains(str(u"🎵"))) << message.toStdString();
    }
    EXPECT_EQ(readBytes(loaded), QByteArray("a\r\nb\r\nc\r\n"));
    EXPECT_FALSE(QFileInfo::exists(other));
    EXPECT_TRUE(engine.log().empty());
    EXPECT_TRUE(snapshot() == before) << "the sheet or the state changed";
}

TEST_F(SaveLyricsTest, UnwritableTargetNamesFileAndReasonAndChangesNothing)
{
    const QString loaded = loadBytes("a\r\n");
    sheet.setCellAt(LineTagIndex(sheet, 0), QStringLiteral("[00:00:05]"));
    const QString missingFolder = path(QStringLiteral("missing/song.txt"));
    const QString folder = path(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    const SheetSnapshot before = snapshot();

    for (const QString& target : {missingFolder, folder}) {
        prompts.clearShown();
        prompts.queueSaveAccept(target);
        SaveLyrics(files);
        ASSERT_EQ(prompts.messages().size(), 1) << target.toStdString();
        const QString message = prompts.messages().front();
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(target))) << message.toStdString();
        EXPECT_FALSE(message.contains(str(u"を保存しました"))) << message.toStdString();
        // LyricsPath stays the loaded file, so "再読込" does not aim at the failed target.
        EXPECT_TRUE(snapshot() == before) << target.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("missing"))));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(readBytes(loaded), QByteArray("a\r\n"));

    // The lyrics file itself became a folder after the load.
    ASSERT_TRUE(QFile::remove(loaded));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(loaded).fileName()));
    prompts.clearShown();
    engine.clearLog();
    SaveAndLoadLyrics(files);
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().front().contains(QDir::toNativeSeparators(loaded)));
    EXPECT_FALSE(prompts.messages().front().contains(str(u"Save & Load しました")));
    EXPECT_TRUE(engine.log().empty());
    EXPECT_TRUE(QFileInfo(loaded).isDir());
}

}  // namespace

}  // namespace lyricue
