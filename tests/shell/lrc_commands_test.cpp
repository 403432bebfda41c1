#include "lyricsfile/lrc_file.h"
#include "shell/lrc_commands.h"
#include "shell/lyrics_files_fixture.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"
#include "text/record_text.h"

#include <QDir>
#include <QFileInfo>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

class LrcFiles : public LyricsFilesFixture {
protected:
    // "LRC 読込" of a file holding `bytes`.
    QString importBytes(const QByteArray& bytes, const QString& name = QStringLiteral("song.lrc"))
    {
        const QString file = path(name);
        writeBytes(file, bytes);
        prompts.queueOpenAccept(file);
        ImportLrc(files, lrcDialog);
        return file;
    }

    // "LRC 書出し" to `name`; the file's bytes.
    QByteArray exportTo(const QString& name)
    {
        prompts.queueSaveAccept(path(name));
        ExportLrc(files, lrcDialog);
        return readBytes(path(name));
    }

    // Each line of the sheet as "tag|text".
    QStringList sheetLines() const
    {
        QStringList lines;
        for (int row = 1; row <= document.LineCount(); ++row)
            lines << CellText(sheet, row, 0) + u'|' + CellText(sheet, row, 1);
        return lines;
    }

    FileDialogSettings lrcDialog;
};

struct ImportCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;  // "tag|text"
    QStringList headers;
};

void PrintTo(const ImportCase& param, std::ostream* out)
{
    *out << param.name;
}

class LrcImport : public LrcFiles, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(LrcImport, GivesTheSheetItsTimesAndKeepsTheHeaders)
{
    const QString file = importBytes(GetParam().bytes);

    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join(u'\n').toStdString();
    EXPECT_EQ(sheetLines(), GetParam().lines);
    EXPECT_EQ(document.lrcHeaders(), GetParam().headers);
    EXPECT_EQ(document.LyricsPath(), path(QStringLiteral("song.txt")));
    EXPECT_EQ(files.SelectedPath, file);
    EXPECT_EQ(document.StampRow(), 0);
    EXPECT_EQ(sheet.row(), 1);
    EXPECT_EQ(lrcDialog.filter, LrcDialogFilter);
}

QByteArray utf16Le(const char16_t* text)
{
    return encodeText(str(text), TextEncoding::Utf16Le).bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LrcImport,
    ::testing::Values(
        ImportCase{"HeadersFirstCrLf",
                   str(u"[ti:夜明け]\r\n[ar:歌手]\r\n[00:12.34]一行目\r\n[00:15.00]二行目\r\n").toUtf8(),
                   {str(u"[00:12:34]|一行目"), str(u"[00:15:00]|二行目")}, {str(u"[ti:夜明け]"), str(u"[ar:歌手]")}},
        ImportCase{"HeadersLastLfWithMark", "\xEF\xBB\xBF[00:01.00]a\n[00:02.00]b\n[by:someone]\n[length:03:25]\n",
                   {QStringLiteral("[00:01:00]|a"), QStringLiteral("[00:02:00]|b")},
                   {QStringLiteral("[by:someone]"), QStringLiteral("[length:03:25]")}},
        ImportCase{"SeveralTimesOnALineInTimeOrder",
                   str(u"[00:12.00][01:30.00]サビ\n(間奏)\n[00:20.00]Aメロ\n").toUtf8(),
                   {str(u"[00:12:00]|サビ"), str(u"|(間奏)"), str(u"[00:20:00]|Aメロ"), str(u"[01:30:00]|サビ")}, {}},
        ImportCase{"TimeFormsCutToHundredths", "[00:01.999]a\n[1:02.5]b\n[01:03]c\n[01:04:56]d\n[100:00.00]e\n",
                   {QStringLiteral("[00:01:99]|a"), QStringLiteral("[01:02:50]|b"), QStringLiteral("[01:03:00]|c"),
                    QStringLiteral("[01:04:56]|d"), QStringLiteral("[100:00:00]|e")},
                   {}},
        ImportCase{"PositiveOffsetFirst", "[ti:T]\n[offset:+500]\n[00:10.00]a\n[00:00.20]b\n",
                   {QStringLiteral("[00:09:50]|a"), QStringLiteral("[00:00:00]|b")}, {QStringLiteral("[ti:T]")}},
        // Word tags of enhanced LRC become the segments' times and move with their line's tag.
        ImportCase{"OffsetMovesWordTags", str(u"[offset:+500]\n[00:10.00]<00:10.00>夜<00:10.52>明け <1:00.1>x\n").toUtf8(),
                   {str(u"[00:09:50]|夜[00:10:02]明け [00:59:60]x")}, {}},
        ImportCase{"FirstWordGivesTheLineItsTime", str(u"[00:10.00]<00:10.20>夜<00:10.52>明\n[00:20.00][00:30.00]<00:20.10>a\n").toUtf8(),
                   {str(u"[00:10:20]|夜[00:10:52]明"), str(u"[00:20:00]|a"), str(u"[00:30:00]|a")}, {}},
        ImportCase{"NegativeOffsetLast", "[00:10.00]a\r\n[offset:-250]\r\n", {QStringLiteral("[00:10:25]|a")}, {}},
        ImportCase{"LinesWithoutTimes", "intro\n[Chorus]\n[00:05.00]x\n\n[00:75.00]bad\n",
                   {QStringLiteral("|intro"), QStringLiteral("|[Chorus]"), QStringLiteral("[00:05:00]|x"),
                    QStringLiteral("|"), QStringLiteral("|[00:75.00]bad")},
                   {}},
        ImportCase{"Cp932File", cp932(str(u"[ar:歌手]\r\n[00:01.00]夜明け\r\n")), {str(u"[00:01:00]|夜明け")},
                   {str(u"[ar:歌手]")}},
        ImportCase{"Utf16File", utf16Le(u"[00:01.00]ﾊｰﾄ\r\n"), {str(u"[00:01:00]|ﾊｰﾄ")}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LrcFiles, ImportedAndExportedGivesTheSameTimesTextsAndHeaders)
{
    const QByteArray lrc = str(u"[ti:夜明け]\r\n[00:12.34]一行目\r\n[00:15.00]二行目\r\n").toUtf8();
    importBytes(lrc);
    EXPECT_EQ(exportTo(QStringLiteral("out.lrc")), lrc);

    importBytes("[00:12.00][01:30.00]chorus\n[00:20.00]verse\n[offset:100]\n[al:A]\n");
    const QStringList lines = sheetLines();
    const QStringList headers = document.lrcHeaders();
    exportTo(QStringLiteral("again.lrc"));
    prompts.queueOpenAccept(path(QStringLiteral("again.lrc")));
    ImportLrc(files, lrcDialog);
    EXPECT_EQ(sheetLines(), lines);
    EXPECT_EQ(document.lrcHeaders(), headers);
    EXPECT_TRUE(prompts.messages().endsWith(path(QStringLiteral("again.lrc")) + str(u"を書き出しました")));
}

TEST_F(LrcFiles, NativeFileExportedAndImportedGivesTheSameSheet)
{
    loadBytes(cp932(str(u"前奏\r\n[00:05:00]一行目\r\n\r\n[01:02:03]二行目\r\n[100:00:00]終わり\r\n")));
    const QStringList lines = sheetLines();

    const QByteArray exported = exportTo(QStringLiteral("song.lrc"));
    EXPECT_EQ(exported,
              str(u"[00:00.00]前奏\r\n[00:05.00]一行目\r\n\r\n[01:02.03]二行目\r\n[100:00.00]終わり\r\n").toUtf8());
    prompts.queueOpenAccept(path(QStringLiteral("song.lrc")));
    ImportLrc(files, lrcDialog);

    EXPECT_EQ(sheetLines(), lines);
}

// Lines timed word by word go out as enhanced LRC and come back with the same segments.
TEST_F(LrcFiles, WordTimesExportedAndImportedGiveTheSameSegments)
{
    loadBytes(str(u"[00:10:00]夜[00:10:50]明[00:11:00]け[00:11:50]の\r\n[00:12:00]Hello [00:12:40]world\r\n").toUtf8());
    const QStringList lines = sheetLines();

    EXPECT_EQ(exportTo(QStringLiteral("words.lrc")),
              str(u"[00:10.00]<00:10.00>夜<00:10.50>明<00:11.00>け<00:11.50>の\r\n"
                  u"[00:12.00]<00:12.00>Hello <00:12.40>world\r\n").toUtf8());
    prompts.queueOpenAccept(path(QStringLiteral("words.lrc")));
    ImportLrc(files, lrcDialog);
    EXPECT_EQ(sheetLines(), lines);

    // A boundary the user set but has not timed yet is no word of its own in LRC.
    loadBytes(str(u"[00:10:00]今日[00:10:50]は|晴れ\r\n").toUtf8());
    EXPECT_EQ(exportTo(QStringLiteral("half.lrc")), str(u"[00:10.00]<00:10.00>今日<00:10.50>は晴れ\r\n").toUtf8());
}

TEST_F(LrcFiles, ExportProposesTheTrackNameAndWritesItsTagsAndLength)
{
    document.setTrackPath(path(QStringLiteral("track.mp3")));
    engine.setTitleAndArtist(cp932(str(u"夜明け")), cp932(str(u"歌手")));
    record_text::store(engine.tagRecord().album, str(u"アルバム").toUtf8());  // tags in UTF-8 are read as such
    engine.detailRecord().lengthMs = 205900;
    loadBytes("[00:01:00]a\r\n");

    EXPECT_EQ(exportTo(QStringLiteral("track.lrc")),
              str(u"[ti:夜明け]\r\n[ar:歌手]\r\n[al:アルバム]\r\n[length:03:25]\r\n[00:01.00]a\r\n").toUtf8());
    ASSERT_EQ(prompts.saveDialogs().size(), 1u);
    EXPECT_EQ(prompts.saveDialogs().front().fileName, path(QStringLiteral("track.lrc")));
    EXPECT_EQ(engine.callsNamed("vbmp3_getFileInfo2").front().path, document.trackPath());
}

// The export writes the text the sheet shows, or refuses naming the line: a byte
// carried as no text (the sheet shows the replacement character) has no UTF-8 form,
// whatever the file's encoding, in a lyric line as in a header kept from an import.
TEST_F(LrcFiles, ExportWritesTheTextTheSheetShowsOrRefusesNamingTheLine)
{
    const struct {
        const char* what;
        bool lrc;  // imported as LRC, else loaded as a lyrics file
        QByteArray bytes;
        QByteArray exported;  // empty: refused with a message naming `line` and `byte`
        const char16_t* line;
        const char* byte;
    } cases[] = {
        {"UTF-8 European lyrics", false,
         str(u"[00:01:00]café\r\n[00:02:00]Turn 360° around\r\n[00:03:00]Și ești aici\r\n").toUtf8(),
         str(u"[00:01.00]café\r\n[00:02.00]Turn 360° around\r\n[00:03.00]Și ești aici\r\n").toUtf8(), nullptr,
         nullptr},
        {"CP932 lyrics with a byte that is no CP932", false, "a\r\n[00:02:00]bad\x85\x40here\r\n", {}, u"2 行目",
         "0x85"},
        {"UTF-8 lyrics with a damaged byte", false,
         encodeText(str(u"[00:01:00]夜明け\r\n[00:02:00]君の\xDCFF声\r\n"), TextEncoding::Utf8).bytes, {}, u"2 行目", "0xFF"},
        {"UTF-8 LRC header with a damaged byte", true,
         encodeText(str(u"[ti:夜明けの\xDCFF空]\r\n[00:01.00]一行目\r\n"), TextEncoding::Utf8).bytes, {},
         u"ヘッダー 1 行目", "0xFF"},
        {"CP932 LRC header with a byte that is no CP932", true,
         cp932(str(u"[ar:歌手]\r\n")) + "[al:x\x85\x40]\r\n" + cp932(str(u"[00:01.00]夜明け\r\n")), {},
         u"ヘッダー 2 行目", "0x85"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.lrc)
            importBytes(c.bytes);
        else
            loadBytes(c.bytes);
        prompts.clearShown();
        const QString name = QStringLiteral("out%1.lrc").arg(n++);
        const QByteArray exported = exportTo(name);
        ASSERT_EQ(prompts.messages().size(), 1);
        const QString message = prompts.messages().front();
        if (!c.exported.isEmpty()) {
            EXPECT_EQ(exported, c.exported);
            EXPECT_EQ(message, path(name) + str(u"を書き出しました"));
            continue;
        }
        for (const QString& part : {name, str(c.line), QString::fromLatin1(c.byte)})
            EXPECT_TRUE(message.contains(part)) << message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path(name)));
    }
}

TEST_F(LrcFiles, ImportThatCannotBeDoneChangesNothing)
{
    loadBytes("[00:01:00]a\r\nb\r\n", QStringLiteral("kept.txt"));
    prompts.clearShown();
    const SheetSnapshot before = snapshot();

    importBytes("[ti:only a header]\r\n[ar:x]\r\n");
    prompts.queueOpenCancel();
    ImportLrc(files, lrcDialog);

    EXPECT_EQ(prompts.messages(), QStringList{str(u"「") + QDir::toNativeSeparators(path(QStringLiteral("song.lrc")))
                                              + str(u"」には歌詞の行がありません")});
    EXPECT_TRUE(snapshot() == before) << "the sheet or the state changed";
}

TEST_F(LrcFiles, SaveAndLoadAfterAnImportAsksBeforeReplacingTheTextFile)
{
    writeBytes(path(QStringLiteral("song.txt")), "other lyrics\r\n");
    importBytes("[00:01.00]a\n");

    prompts.queueAnswer(AnswerNo);
    files.SelectedPath = path(QStringLiteral("song.mp3"));
    SaveAndLoadLyrics(files);
    EXPECT_EQ(readBytes(path(QStringLiteral("song.txt"))), QByteArray("other lyrics\r\n"));
    EXPECT_EQ(engine.countOf("vbmp3_setLyricsFile"), 0);

    prompts.queueAnswer(AnswerYes);
    SaveAndLoadLyrics(files);
    SaveAndLoadLyrics(files);  // now the sheet's own file: no question
    EXPECT_EQ(prompts.questions().size(), 2);
    EXPECT_TRUE(prompts.questions().front().contains(QDir::toNativeSeparators(path(QStringLiteral("song.txt")))));
    EXPECT_EQ(readBytes(path(QStringLiteral("song.txt"))), QByteArray("[00:01:00]a\r\n"));
}

}  // namespace

}  // namespace lyricue
