// Lyrics in the track's own tags through the commands: offered when a track opens
// without a lyrics file, loaded with "曲の歌詞を読込", written with "曲に歌詞を書込".
#include "audio/track_lyrics.h"
#include "base/shell_paths.h"
#include "shell/lyrics_files_fixture.h"
#include "shell/track_lyrics_commands.h"
#include "support/test_data.h"

#include <QDir>

namespace lyricue {

namespace {

const QString Lyrics = QStringLiteral("[00:12:34]夏の夜\r\n間奏\r\n[01:05:00]second line\r\n[62:03:45]long after\r\n");

class TrackLyricsCommands : public LyricsFilesFixture {
protected:
    // A fixture track copied into the folder as `name`.
    QString copyTrack(const char* fixture, const QString& name)
    {
        const QString track = path(name);
        writeBytes(track, readBytes(testDataPath(QString::fromUtf8(fixture))));
        return track;
    }

    // Each line of the sheet as "tag|text".
    QStringList sheetLines() const
    {
        QStringList lines;
        for (int row = 1; row <= document.LineCount(); ++row)
            lines << CellText(sheet, row, 0) + u'|' + CellText(sheet, row, 1);
        return lines;
    }

    // The lyrics file loaded, then written into `track` with "曲に歌詞を書込".
    void writeSheetInto(const QString& track, const QByteArray& lyricsFile)
    {
        loadBytes(lyricsFile);
        document.setTrackPath(track);
        prompts.clearShown();
        WriteTrackLyrics(files);
    }
};

const QStringList SheetOfLyrics{QStringLiteral("[00:12:34]|夏の夜"), QStringLiteral("|間奏"),
                                QStringLiteral("[01:05:00]|second line"), QStringLiteral("[62:03:45]|long after")};

struct WriteCase {
    const char* fixture;
    const char* name;
    const char* tags;     // written
    const char* offered;  // where the lyrics are found again
};

void PrintTo(const WriteCase& param, std::ostream* out)
{
    *out << param.name;
}

class WriteAndLoadBack : public TrackLyricsCommands, public ::testing::WithParamInterface<WriteCase> {};

// The sheet written into the track comes back line for line, untimed lines included,
// on another machine where only the track is: opening it offers them.
TEST_P(WriteAndLoadBack, TheSheetComesBackFromTheTrackAlone)
{
    const QString track = copyTrack(GetParam().fixture, QString::fromUtf8(GetParam().name));
    writeSheetInto(track, Lyrics.toUtf8());
    EXPECT_EQ(prompts.shown(), QStringList{QStringLiteral("message: [ %1 ] に歌詞を書き込みました (%2)")
                                               .arg(QString::fromUtf8(GetParam().name), QString::fromUtf8(GetParam().tags))});

    loadBytes("[00:00:00]something else\r\n", QStringLiteral("other.txt"));
    prompts.clearShown();
    files.SelectedPath = track;
    prompts.queueAnswer(AnswerYes);
    LoadLyrics(files);

    EXPECT_EQ(prompts.questions(),
              QStringList{QStringLiteral("[ %1 ] に埋め込まれた歌詞 (%2) をＬＯＡＤしますか？")
                              .arg(QString::fromUtf8(GetParam().name), QString::fromUtf8(GetParam().offered))});
    EXPECT_EQ(sheetLines(), SheetOfLyrics);
    EXPECT_EQ(document.LyricsPath(), ChangeExtension(track, QStringLiteral(".txt")));
    EXPECT_EQ(document.StampRow(), 0);

    // One step: undo gives back the sheet before.
    document.undoStack().undo();
    EXPECT_EQ(sheetLines(), QStringList{QStringLiteral("[00:00:00]|something else")});
    EXPECT_EQ(document.LyricsPath(), path(QStringLiteral("other.txt")));
}

INSTANTIATE_TEST_SUITE_P(Formats, WriteAndLoadBack,
                         ::testing::Values(WriteCase{"tone_xing.mp3", "song.mp3", "ID3v2 SYLT・USLT", "ID3v2 USLT"},
                                           WriteCase{"clicks.flac", "song.flac", "Vorbis comment LYRICS",
                                                     "Vorbis comment LYRICS"},
                                           WriteCase{"clicks.m4a", "song.m4a", "MP4 ©lyr", "MP4 ©lyr"}),
                         [](const ::testing::TestParamInfo<WriteCase>& info) {
                             return std::string(info.param.fixture).substr(std::string(info.param.fixture).find('.') + 1);
                         });

struct OfferCase {
    const char* name;
    bool lyricsFileBeside;
    int answer;
    QString question;       // %1: the track's name
    QStringList sheet;      // after the answer
};

void PrintTo(const OfferCase& param, std::ostream* out)
{
    *out << param.name;
}

class OfferOnOpening : public TrackLyricsCommands, public ::testing::WithParamInterface<OfferCase> {};

// A lyrics file beside the track comes first; without one, timed SYLT lines win over a
// USLT without times, and No goes to the open dialog as the load question's No does.
TEST_P(OfferOnOpening, AsksForTheTrackLyricsOnlyWithoutALyricsFile)
{
    const QString track = copyTrack("tone_xing.mp3", QStringLiteral("song.mp3"));
    TrackLyrics carried;
    carried.timedLines = {{1500, QStringLiteral("first")}, {2250, QStringLiteral("second")}};
    carried.text = QStringLiteral("first\nsecond");
    ASSERT_TRUE(writeTrackLyrics(track, carried).ok());
    if (GetParam().lyricsFileBeside)
        writeBytes(path(QStringLiteral("song.txt")), "[00:09:00]from the file\r\n");
    loadBytes("[00:00:00]before\r\n", QStringLiteral("before.txt"));

    prompts.clearShown();
    files.SelectedPath = track;
    prompts.queueAnswer(GetParam().answer);
    if (GetParam().answer == AnswerNo)
        prompts.queueOpenCancel();
    LoadLyrics(files);

    EXPECT_EQ(prompts.questions(), QStringList{GetParam().question});
    EXPECT_EQ(sheetLines(), GetParam().sheet);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OfferOnOpening,
    ::testing::Values(
        OfferCase{"Yes", false, AnswerYes, QStringLiteral("[ song.mp3 ] に埋め込まれた歌詞 (ID3v2 SYLT) をＬＯＡＤしますか？"),
                  {QStringLiteral("[00:01:50]|first"), QStringLiteral("[00:02:25]|second")}},
        OfferCase{"No", false, AnswerNo, QStringLiteral("[ song.mp3 ] に埋め込まれた歌詞 (ID3v2 SYLT) をＬＯＡＤしますか？"),
                  {QStringLiteral("[00:00:00]|before")}},
        OfferCase{"Cancel", false, AnswerCancel,
                  QStringLiteral("[ song.mp3 ] に埋め込まれた歌詞 (ID3v2 SYLT) をＬＯＡＤしますか？"),
                  {QStringLiteral("[00:00:00]|before")}},
        OfferCase{"FileBeside", true, AnswerYes, QStringLiteral("[ song.txt ] をＬＯＡＤしますか？"),
                  {QStringLiteral("[00:09:00]|from the file")}}),
    [](const ::testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    const char* fixture;     // copied as the track; none: no track is open
    QByteArray lyricsFile;
    const char* said;        // what the message holds
};

void PrintTo(const RefusedCase& param, std::ostream* out)
{
    *out << param.name;
}

class WriteRefused : public TrackLyricsCommands, public ::testing::WithParamInterface<RefusedCase> {};

// Nothing is written, and the message says why.
TEST_P(WriteRefused, LeavesTheTrackAndSaysWhy)
{
    QString track;
    QByteArray before;
    if (GetParam().fixture) {
        track = copyTrack(GetParam().fixture, QString::fromUtf8(GetParam().fixture));
        before = readBytes(track);
    }
    writeSheetInto(track, GetParam().lyricsFile);
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().front().contains(QString::fromUtf8(GetParam().said)))
        << prompts.messages().front().toStdString();
    if (!track.isEmpty()) {
        EXPECT_EQ(readBytes(track), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteRefused,
    ::testing::Values(RefusedCase{"NoTrack", nullptr, "[00:01:00]a\r\n", "曲が開かれていません"},
                      RefusedCase{"Rmp", "tone.rmp", "[00:01:00]a\r\n", "RMP ファイルは歌詞を格納できません"},
                      // 0x81 0x20 is no Shift_JIS: the sheet carries the byte, which has no Unicode form.
                      RefusedCase{"ByteThatIsNoText", "clicks.flac", "[00:01:00]a\x81\x20\r\n", "1 行目に文字でないバイト"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

// Players that read SYLT show a line as sung, at each of its times; the LRC text keeps
// the word times, and the sheet comes back from it as from an LRC file.
TEST_F(TrackLyricsCommands, WordTimesStayInTheTextAndSyltShowsTheLinesAsSung)
{
    const QString track = copyTrack("tone_xing.mp3", QStringLiteral("song.mp3"));
    writeSheetInto(track, QStringLiteral("[00:01:00]夏[00:01:50]の夜\r\n[00:02:00][00:10:00]repeat\r\n").toUtf8());
    const ResultOf<TrackLyrics> carried = readTrackLyrics(track);
    ASSERT_TRUE(carried.ok()) << carried.errorString().toStdString();
    EXPECT_EQ(carried->timedLines, (std::vector<TrackLyrics::TimedLine>{{1000, QStringLiteral("夏の夜")},
                                                                         {2000, QStringLiteral("repeat")},
                                                                         {10000, QStringLiteral("repeat")}}));
    loadBytes("x\r\n", QStringLiteral("other.txt"));
    document.setTrackPath(track);
    LoadTrackLyrics(files);
    // As through an LRC file: the repeated line comes back once per time.
    EXPECT_EQ(sheetLines(), QStringList({QStringLiteral("[00:01:00]|夏[00:01:50]の夜"), QStringLiteral("[00:02:00]|repeat"),
                                         QStringLiteral("[00:10:00]|repeat")}));
}

TEST_F(TrackLyricsCommands, LoadingSaysWhenTheTrackCarriesNoLyrics)
{
    document.setTrackPath(copyTrack("clicks.ogg", QStringLiteral("plain.ogg")));
    LoadTrackLyrics(files);
    document.setTrackPath(QString());
    LoadTrackLyrics(files);
    EXPECT_EQ(prompts.messages(), QStringList({QStringLiteral("[ plain.ogg ] には歌詞が埋め込まれていません"),
                                               QStringLiteral("曲が開かれていません")}));
}

}  // namespace

}  // namespace lyricue
