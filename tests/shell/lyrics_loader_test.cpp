#include "shell/file_dialogs.h"
#include "shell/lyrics_files_fixture.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"
#include "support/test_data.h"

#include <QDir>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

using LoadLyricsTest = LyricsFilesFixture;

// --- the question ---------------------------------------------------------

struct QuestionCase {
    QString music;
    QString lyrics;
    QString question;
};

void PrintTo(const QuestionCase& param, std::ostream* out)
{
    *out << param.music.toStdString();
}

class LoadQuestion : public LyricsFilesFixture, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(LoadQuestion, NamesTheSameNamedTextFile)
{
    files.SelectedPath = GetParam().music;
    prompts.queueAnswer(AnswerCancel);

    LoadLyrics(files);

    EXPECT_EQ(prompts.questions(), QStringList{GetParam().question});
    EXPECT_EQ(document.LyricsPath(), GetParam().lyrics);
}

INSTANTIATE_TEST_SUITE_P(
    MusicPaths, LoadQuestion,
    ::testing::Values(
        QuestionCase{QStringLiteral("/Music/song.mp3"), QStringLiteral("/Music/song.txt"),
                     str(u"[ song.txt ] をＬＯＡＤしますか？")},
        QuestionCase{str(u"/Music/曲 名.MP3"), str(u"/Music/曲 名.txt"), str(u"[ 曲 名.txt ] をＬＯＡＤしますか？")},
        QuestionCase{QStringLiteral("/Music/a.b.rmp"), QStringLiteral("/Music/a.b.txt"),
                     str(u"[ a.b.txt ] をＬＯＡＤしますか？")},
        QuestionCase{QStringLiteral("/Music/song"), QStringLiteral("/Music/song.txt"),
                     str(u"[ song.txt ] をＬＯＡＤしますか？")}));

// --- the roads of the answer ----------------------------------------------

enum class Expect { Loaded, Untouched };

struct AnswerRoad {
    const char* name;
    int answer;
    bool lyricsFileExists;
    bool dialogConfirms;  // for the answer No
    const char16_t* message;
    const char* lyricsAfter;    // "same", "other", "" (empty)
    const char* selectedAfter;  // "music", "other", "cancel"
    Expect sheet;
};

void PrintTo(const AnswerRoad& param, std::ostream* out)
{
    *out << param.name;
}

class LoadAnswerRoads : public LyricsFilesFixture, public ::testing::WithParamInterface<AnswerRoad> {};

TEST_P(LoadAnswerRoads, LeaveThePathsAndTheSheetAsAnswered)
{
    const AnswerRoad& road = GetParam();
    const QString music = path(QStringLiteral("song.mp3"));
    const QString same = path(QStringLiteral("song.txt"));
    const QString other = path(QStringLiteral("other.txt"));
    if (road.lyricsFileExists)
        writeBytes(same, "[00:01:00]same\r\n");
    writeBytes(other, "[00:02:00]other\r\n");
    sheet.setCellAt(LineTagIndex(sheet, 3) + 1, QStringLiteral("earlier work"));
    files.SelectedPath = music;
    document.setStampRow(4);
    prompts.queueAnswer(road.answer);
    if (road.answer == AnswerNo) {
        if (road.dialogConfirms)
            prompts.queueOpenAccept(other);
        else
            prompts.queueOpenCancel();
    }
    const SheetSnapshot before = snapshot();

    LoadLyrics(files);

    const auto named = [&](const std::string& which) {
        return which == "same" ? same : which == "other" ? other : which == "music" ? music
             : which == "cancel"                                                    ? ErrorCancel
                                                                                    : QString();
    };
    EXPECT_EQ(document.LyricsPath(), named(road.lyricsAfter));
    EXPECT_EQ(files.SelectedPath, named(road.selectedAfter));
    EXPECT_EQ(prompts.messages(), road.message ? QStringList{str(road.message)} : QStringList());
    if (road.sheet == Expect::Loaded) {
        EXPECT_EQ(engine.callTexts(), std::vector<std::string>{"vbmp3_setLyricsFile(" +
                                                                document.LyricsPath().toStdString() + ")"});
        EXPECT_EQ(sheet.rows(), 2);
        EXPECT_EQ(column(1), QStringList{document.LyricsPath() == same ? QStringLiteral("same")
                                                                  : QStringLiteral("other")});
        EXPECT_EQ(document.StampRow(), 0);
    } else {
        EXPECT_TRUE(engine.log().empty());
        SheetSnapshot expected = before;
        expected.lyricsPath = document.LyricsPath();
        expected.selectedPath = files.SelectedPath;
        EXPECT_TRUE(snapshot() == expected) << "the sheet or the counters changed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LoadAnswerRoads,
    ::testing::Values(
        AnswerRoad{"YesWithFile", AnswerYes, true, false, nullptr, "same", "music", Expect::Loaded},
        AnswerRoad{"YesWithoutFile", AnswerYes, false, false, u"同名の歌詞ファイルが存在しません", "same",
                   "music", Expect::Untouched},
        AnswerRoad{"NoThenChosen", AnswerNo, true, true, nullptr, "other", "other", Expect::Loaded},
        AnswerRoad{"NoThenCancelled", AnswerNo, true, false, nullptr, "", "cancel", Expect::Untouched},
        AnswerRoad{"Cancel", AnswerCancel, true, false, nullptr, "same", "music", Expect::Untouched}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadLyricsTest, AnswerNoOpensTheLyricsFilterWithNoName)
{
    files.SelectedPath = path(QStringLiteral("song.mp3"));
    dialog.fileName = QStringLiteral("left over");
    prompts.queueAnswer(AnswerNo);
    prompts.queueOpenCancel();

    LoadLyrics(files);

    ASSERT_EQ(prompts.openDialogs().size(), 1u);
    EXPECT_EQ(prompts.openDialogs().front().filterIndex, 2);
    EXPECT_EQ(prompts.openDialogs().front().fileName, QString());
    EXPECT_EQ(prompts.openDialogs().front().filter, FileDialogFilter);
}

TEST_F(LoadLyricsTest, EmptySelectedPathAsksNothingAndGoesToTheDialog)
{
    const QString file = path(QStringLiteral("lyrics.txt"));
    writeBytes(file, "line\r\n");
    prompts.queueOpenAccept(file);

    LoadLyrics(files);

    EXPECT_TRUE(prompts.questions().isEmpty());
    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("open")});
    EXPECT_EQ(prompts.openDialogs().front().filterIndex, 2);
    EXPECT_EQ(document.LyricsPath(), file);
    EXPECT_EQ(files.SelectedPath, file);
}

TEST_F(LoadLyricsTest, SameNamedFolderOrHiddenFileCountsAsMissing)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    writeBytes(path(QStringLiteral(".hidden.txt")), "line\r\n");
    for (const QString& music : {path(QStringLiteral("folder.mp3")), path(QStringLiteral(".hidden.mp3"))}) {
        files.SelectedPath = music;
        prompts.queueAnswer(AnswerYes);
        LoadLyrics(files);
    }
    EXPECT_EQ(prompts.messages(), QStringList(2, str(u"同名の歌詞ファイルが存在しません")));
    EXPECT_TRUE(engine.log().empty());
    EXPECT_EQ(sheet.rows(), 15);
}

// --- what a load makes of the file ----------------------------------------

struct ContentCase {
    const char* name;
    QByteArray bytes;
    QStringList tags;
    QStringList texts;
};

void PrintTo(const ContentCase& param, std::ostream* out)
{
    *out << param.name;
}

class LoadedContent : public LyricsFilesFixture, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(LoadedContent, FillsOneRowPerLineTagThenText)
{
    loadBytes(GetParam().bytes);

    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'\n').toStdString();
    EXPECT_EQ(document.LineCount(), GetParam().texts.size());
    EXPECT_EQ(sheet.rows(), GetParam().texts.size() + 1);
    EXPECT_EQ(column(0), GetParam().tags);
    EXPECT_EQ(column(1), GetParam().texts);
}

QByteArray sjis(const char16_t* text)
{
    return cp932(str(text));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadedContent,
    ::testing::Values(
        ContentCase{"TimeTagsAndSectionLabels",
                    sjis(u"[01:23:45]Hello\r\n[01:23]Hello\r\n[01:23:45]\r\n[01:23:45] la\r\n[Intro]\r\n"
                         u"[Chorus]\r\n[01:23.45]x\r\n[100:00:00][Verse 2]\r\n"),
                    {str(u"[01:23:45]"), str(u"[01:23]"), str(u"[01:23:45]"), str(u"[01:23:45]"), QString(),
                     QString(), str(u"[01:23.45]"), str(u"[100:00:00]")},
                    {str(u"Hello"), str(u"Hello"), QString(), str(u" la"), str(u"[Intro]"), str(u"[Chorus]"),
                     str(u"x"), str(u"[Verse 2]")}},
        // Brackets that hold no time are text, whatever their length in characters or bytes.
        ContentCase{"BracketedWordsAreText",
                    sjis(u"[あいうえお]歌\r\n[あいうえおかきく]詞\r\n［01:23］全角\r\n"),
                    {str(u"[00:00:00]"), QString(), QString()},
                    {str(u"[あいうえお]歌"), str(u"[あいうえおかきく]詞"), str(u"［01:23］全角")}},
        ContentCase{"UntaggedFirstLineKeepsTheStartTag", sjis(u"Hello\r\nWorld\r\n[00:05:00]x\r\n"),
                    {str(u"[00:00:00]"), QString(), str(u"[00:05:00]")},
                    {str(u"Hello"), str(u"World"), str(u"x")}},
        // A line that only looks like a tag is any untagged line: column 0 as the reset left it.
        ContentCase{"BracketWithoutTagLeavesTheTagCell", sjis(u"[Chorus]\r\n[01:00:00]a\r\n[Verse 2]\r\n"),
                    {str(u"[00:00:00]"), str(u"[01:00:00]"), QString()},
                    {str(u"[Chorus]"), str(u"a"), str(u"[Verse 2]")}},
        ContentCase{"EmptyLinesTakeTheirOwnRows", sjis(u"a\r\n\r\n\r\nb\r\n"),
                    {str(u"[00:00:00]"), QString(), QString(), QString()},
                    {str(u"a"), QString(), QString(), str(u"b")}},
        ContentCase{"LastLineWithoutLineEnd", sjis(u"a\r\n[00:01:00]b"), {str(u"[00:00:00]"), str(u"[00:01:00]")},
                    {str(u"a"), str(u"b")}},
        ContentCase{"OneEmptyLine", sjis(u"\r\n"), {str(u"[00:00:00]")}, {QString()}},
        ContentCase{"LoneCrAndLoneLfEndLines", sjis(u"a\rb\nc\r\n\nd"),
                    {str(u"[00:00:00]"), QString(), QString(), QString(), QString()},
                    {str(u"a"), str(u"b"), str(u"c"), QString(), str(u"d")}},
        ContentCase{"NulCutsTheLine", QByteArray("[00:01:00]ab\0cd\r\n\0\r\nnext", 24),
                    {str(u"[00:01:00]"), QString(), QString()}, {str(u"ab"), QString(), str(u"next")}},
        ContentCase{"Utf8File", str(u"[00:00:50]はじめ\n二行目\n").toUtf8(), {str(u"[00:00:50]"), QString()},
                    {str(u"はじめ"), str(u"二行目")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadLyricsTest, ResetsHeaderWidthsStampRowAndCurrentRow)
{
    document.setStampRow(6);
    sheet.setRow(9);
    sheet.setCellAt(0, QStringLiteral("changed"));

    loadBytes("[00:01:00]a\r\nb\r\nc\r\n");

    EXPECT_EQ(sheet.cellAt(0), QStringLiteral("Time Tag"));
    EXPECT_EQ(sheet.cellAt(1), str(u"歌詞"));
    EXPECT_EQ(sheet.cols(), 2);
    EXPECT_EQ(sheet.columnWidth(0), 1100 / 15);
    EXPECT_EQ(sheet.columnWidth(1), 6250 / 15);
    EXPECT_EQ(document.StampRow(), 0);
    EXPECT_EQ(sheet.row(), 1);
}

TEST_F(LoadLyricsTest, RemembersTheFileEncoding)
{
    const struct {
        const char* fixture;
        TextEncoding encoding;
    } cases[] = {{"lyrics_cp932_crlf.txt", TextEncoding::Cp932},
                 {"lyrics_utf8_lf.txt", TextEncoding::Utf8},
                 {"lyrics_utf8_bom_crlf.txt", TextEncoding::Utf8WithBom},
                 {"lyrics_invalid_bytes.txt", TextEncoding::Cp932}};
    for (const auto& c : cases) {
        loadThroughDialog(testDataPath(QString::fromLatin1(c.fixture)));
        EXPECT_EQ(document.encoding(), c.encoding) << c.fixture;
        EXPECT_EQ(document.LineCount(), 4) << c.fixture;
    }
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(LoadLyricsTest, LinesOfAnyLengthLoadWhole)
{
    const QString longText(40000, u'あ');
    loadBytes(cp932(QStringLiteral("[00:01:00]") + longText + QStringLiteral("\r\n") + longText));

    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("[00:01:00]"), QString()}));
    EXPECT_EQ(column(1), (QStringList{longText, longText}));
}

TEST_F(LoadLyricsTest, SecondShorterLoadLeavesNoRowsOfTheFirst)
{
    loadBytes("[00:01:00]a\r\n[00:02:00]b\r\n[00:03:00]c\r\n[00:04:00]d\r\n", QStringLiteral("long.txt"));
    ASSERT_EQ(sheet.rows(), 5);

    loadBytes("x\r\ny\r\n", QStringLiteral("short.txt"));

    EXPECT_EQ(sheet.rows(), 3);
    EXPECT_EQ(document.LineCount(), 2);
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("[00:00:00]"), QString()}));
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int line = 0; line < count; ++line)
        bytes.append("[00:00:00]").append(QByteArray::number(line)).append("\r\n");
    return bytes;
}

TEST_F(LoadLyricsTest, LargestFileLoadsCompletely)
{
    loadBytes(numberedLines(32766));

    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_EQ(document.LineCount(), 32766);
    EXPECT_EQ(sheet.rows(), 32767);
    EXPECT_EQ(CellText(sheet, 32766, 0), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(CellText(sheet, 32766, 1), QStringLiteral("32765"));
}

// --- failures ---------------------------------------------------------------

TEST_F(LoadLyricsTest, EmptyFileShowsItsMessageAndKeepsTheResetSheet)
{
    const QString file = loadBytes(QByteArray());

    EXPECT_EQ(prompts.messages(), QStringList{str(u"File内容が存在しません")});
    EXPECT_EQ(engine.callTexts(), std::vector<std::string>{"vbmp3_setLyricsFile(" + file.toStdString() + ")"});
    EXPECT_EQ(sheet.rows(), 2);
    EXPECT_EQ(sheet.cellAt(2), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(sheet.cellAt(3), QString());
    EXPECT_EQ(document.LineCount(), 0);
    EXPECT_EQ(document.StampRow(), 0);
    // Saving an empty sheet over an empty file loses nothing.
    EXPECT_EQ(document.LyricsPath(), file);
}


struct FailedRead {
    const char* name;
    QByteArray bytes;    // written to the chosen file, unless it is removed
    bool removeFirst;    // chosen in the dialog, gone before it is read
    const char16_t* reason;
};

void PrintTo(const FailedRead& param, std::ostream* out)
{
    *out << param.name;
}

class LoadFailures : public LyricsFilesFixture, public ::testing::WithParamInterface<FailedRead> {};

TEST_P(LoadFailures, NameTheFileAndTheReasonAndChangeNothing)
{
    // A loaded sheet with a stamp, its next stamp and current row moved on.
    const QString first = loadBytes("[00:01:00]a\r\nb\r\nc\r\n", QStringLiteral("first.txt"));
    sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[00:02:00]"));
    document.setStampRow(2);
    sheet.setRow(3);
    engine.clearLog();
    prompts.clearShown();
    const QString file = path(QStringLiteral("song.txt"));
    writeBytes(file, GetParam().bytes);
    if (GetParam().removeFirst) {
        ASSERT_TRUE(QFile::remove(file));
    }
    SheetSnapshot expected = snapshot();
    expected.selectedPath = file;  // the dialog's choice, as ever

    loadThroughDialog(file);

    ASSERT_EQ(prompts.messages().size(), 1);
    const QString message = prompts.messages().front();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(file))) << message.toStdString();
    EXPECT_TRUE(message.contains(str(GetParam().reason))) << message.toStdString();
    EXPECT_TRUE(snapshot() == expected) << "the sheet or the state changed";
    EXPECT_TRUE(engine.log().empty()) << "the engine keeps its lyrics";

    // "再読込" writes the stamped sheet back to its own file, without asking.
    SaveAndLoadLyrics(files);
    EXPECT_EQ(prompts.questions(), QStringList());
    EXPECT_EQ(readBytes(first), QByteArray("[00:01:00]a\r\n[00:02:00]b\r\nc\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadFailures,
    ::testing::Values(FailedRead{"CannotBeOpened", "gone\r\n", true, u"ファイルまたはフォルダーが見つかりません"},
                      FailedRead{"MoreLinesThanTheSheetHolds", numberedLines(32767), false, u"32767 行"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
