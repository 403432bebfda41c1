#include "playback/track_opener.h"
#include "support/test_files.h"

#include "text/ansi_text.h"
#include "audio/playback_engine.h"
#include "text/record_text.h"
#include "support/recording_engine.h"
#include "support/test_data.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include <cstring>
#include <ostream>

namespace lyricue {

namespace {

using Calls = std::vector<std::string>;

QByteArray cp932(const char16_t* text)
{
    return encodeCp932(QString::fromUtf16(text)).bytes;
}

// The controls an opening writes, as the window has them before any track.
class TrackOpenerTest : public ::testing::Test {
protected:
    TrackOpenerTest()
    {
        window.setWindowTitle(QStringLiteral("Lyricue"));
        timebar.setRange(0, 32767);
        timebar.setValue(7);
    }

    void open(AudioEngine& anEngine, const QString& path)
    {
        opened = OpenTrack(anEngine, path, TrackControls{window, timebar, lbl_time2});
    }
    void open(const QString& path) { open(engine, path); }

    RecordingEngine engine;
    Result opened;
    QWidget window;
    QScrollBar timebar{Qt::Horizontal};
    QLabel lbl_time2{QStringLiteral("Time 00:00:00")};
};

TEST_F(TrackOpenerTest, ClosesOpensThenReadsTheFileInformationOfThePath)
{
    engine.setTrackLengthSeconds(185);
    open(QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(engine.callTexts(),
              (Calls{"vbmp3_close()", "vbmp3_open(/music/a.mp3)", "vbmp3_getFileInfo2(/music/a.mp3)"}));
    EXPECT_TRUE(opened.ok());
    EXPECT_EQ(timebar.value(), 7) << "the bar's position is left to the state timer";
}

struct CaptionCase {
    const char16_t* path;
    const char16_t* caption;
};

void PrintTo(const CaptionCase& c, std::ostream* out)
{
    *out << QString::fromUtf16(c.path).toStdString();
}

class TrackCaption : public TrackOpenerTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(TrackCaption, ComesFromTheRecordTheLastThreeCharactersChoose)
{
    // Different texts in the two records show which one the caption came from.
    record_text::store(engine.tagRecord().title, cp932(u"秋の空"));
    record_text::store(engine.tagRecord().artist, cp932(u"佐藤一郎"));
    record_text::store(engine.tagRecord().album, cp932(u"季節"));
    record_text::store(engine.textRecord().texts[0], cp932(u"春の歌"));
    record_text::store(engine.textRecord().texts[1], cp932(u"山田太郎"));
    record_text::store(engine.textRecord().texts[2], cp932(u"アルバム"));

    open(QString::fromUtf16(GetParam().path));
    EXPECT_EQ(window.windowTitle(), QString::fromUtf16(GetParam().caption));
    EXPECT_EQ(engine.countOf("vbmp3_getFileInfo2"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TrackCaption,
    ::testing::Values(CaptionCase{u"/music/a.mp3", u"佐藤一郎 // 秋の空"},
                      CaptionCase{u"/music/a.rmp", u"山田太郎 // 春の歌"},
                      CaptionCase{u"/music/no_dot_mp3", u"佐藤一郎 // 秋の空"},
                      CaptionCase{u"/music/a.MP3", u"Lyricue"}, CaptionCase{u"/music/a.Rmp", u"Lyricue"},
                      CaptionCase{u"/music/a.mp3 ", u"Lyricue"}, CaptionCase{u"/music/a.wav", u"佐藤一郎 // 秋の空"},
                      CaptionCase{u"p3", u"Lyricue"}, CaptionCase{u"/music/a.flac", u"佐藤一郎 // 秋の空"},
                      CaptionCase{u"/music/a.b.opus", u"佐藤一郎 // 秋の空"},
                      CaptionCase{u"/music/a.m4a", u"佐藤一郎 // 秋の空"}, CaptionCase{u"/music/a.FLAC", u"Lyricue"},
                      CaptionCase{u"/music/a.flac.bak", u"Lyricue"}, CaptionCase{u"/music/flac", u"Lyricue"},
                      CaptionCase{u"/music/a.aac", u"Lyricue"}));

TEST_F(TrackOpenerTest, ZeroFilledRecordsGiveOnlyTheSeparator)
{
    open(QStringLiteral("/music/a.rmp"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" // "));
}

TEST_F(TrackOpenerTest, TextsEndAtTheirFirstNul)
{
    const char artist[] = "ab\0cd";
    std::memcpy(engine.tagRecord().artist, artist, sizeof artist);
    std::memset(engine.tagRecord().title, 'x', sizeof engine.tagRecord().title);  // no NUL at all
    open(QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ab // ") + QString(128, u'x'));
}

struct LengthCase {
    std::int32_t seconds;
    const char* label;
    int barMaximum;
};

void PrintTo(const LengthCase& c, std::ostream* out)
{
    *out << c.seconds << " s";
}

class TrackLength : public TrackOpenerTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(TrackLength, SetsTheBarRangeAndTheTotalTime)
{
    engine.setTrackLengthSeconds(GetParam().seconds);
    open(QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(lbl_time2.text(), QString::fromLatin1(GetParam().label));
    EXPECT_EQ(timebar.minimum(), 0);
    EXPECT_EQ(timebar.maximum(), GetParam().barMaximum);
}

INSTANTIATE_TEST_SUITE_P(
    Seconds, TrackLength,
    ::testing::Values(LengthCase{0, "Time 00:00:00", 0}, LengthCase{59, "Time 00:59:00", 59},
                      LengthCase{60, "Time 01:00:00", 60}, LengthCase{3600, "Time 60:00:00", 3600},
                      LengthCase{5999, "Time 99:59:00", 5999}, LengthCase{6000, "Time 100:00:00", 6000},
                      LengthCase{32767, "Time 546:07:00", 32767},
                      // Past 16 bits: about 9 hours and more keep their real length.
                      LengthCase{32768, "Time 546:08:00", 32768}, LengthCase{40000, "Time 666:40:00", 40000},
                      LengthCase{86399, "Time 1439:59:00", 86399},
                      LengthCase{2147483647, "Time 35791394:07:00", 2147483647},
                      LengthCase{-5, "Time 00:00:00", 0}));

TEST_F(TrackOpenerTest, RefusedFileShowsOpenErrorAndLeavesThePreviousTrackShown)
{
    record_text::store(engine.tagRecord().title, cp932(u"秋の空"));
    record_text::store(engine.tagRecord().artist, cp932(u"佐藤一郎"));
    engine.setTrackLengthSeconds(185);
    open(QStringLiteral("/music/first.mp3"));
    ASSERT_EQ(window.windowTitle(), QStringLiteral("佐藤一郎 // 秋の空"));
    engine.clearLog();

    engine.setTrackLengthSeconds(59);
    record_text::store(engine.tagRecord().title, QByteArrayLiteral("other"));
    engine.queueResult("vbmp3_open", 0);
    open(QStringLiteral("/music/second.mp3"));

    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(engine.callTexts(), (Calls{"vbmp3_close()", "vbmp3_open(/music/second.mp3)"}));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("佐藤一郎 // 秋の空"));
    EXPECT_EQ(lbl_time2.text(), QStringLiteral("Time 03:05:00"));
    EXPECT_EQ(timebar.maximum(), 185);
    EXPECT_EQ(timebar.value(), 7);
}

struct RealFileCase {
    const char* file;
    const char16_t* caption;
    const char* label;
    bool refused;
};

void PrintTo(const RealFileCase& c, std::ostream* out)
{
    *out << c.file;
}

class RealEngineOpening : public TrackOpenerTest, public ::testing::WithParamInterface<RealFileCase> {};

TEST_P(RealEngineOpening, ShowsTheTextsAndLengthTheEngineReads)
{
    PlaybackEngine real(PlaybackEngine::Output::Manual);
    open(real, testDataPath(QString::fromLatin1(GetParam().file)));
    EXPECT_EQ(window.windowTitle(), QString::fromUtf16(GetParam().caption));
    EXPECT_EQ(lbl_time2.text(), QString::fromLatin1(GetParam().label));
    EXPECT_EQ(opened.ok(), !GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RealEngineOpening,
    ::testing::Values(RealFileCase{"tone.rmp", u"山田太郎 // 春の歌", "Time 00:03:00", false},
                      RealFileCase{"tagged_id3v2.mp3", u"佐藤一郎 // 秋の空", "Time 00:03:00", false},
                      RealFileCase{"tagged_id3v2_cp932.mp3", u"高橋 // 冬の朝", "Time 00:03:00", false},
                      RealFileCase{"tagged_id3v1.mp3", u"鈴木花子 // 夏の夜", "Time 00:03:00", false},
                      RealFileCase{"tagged_id3v1_utf8.mp3", u"Beyoncé // 夏の夜", "Time 00:03:00", false},
                      RealFileCase{"tone_noinfo.rmp", u" // ", "Time 00:03:00", false},
                      RealFileCase{"noise.flac", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"noise.ogg", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"noise.opus", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"noise.m4a", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"noise.wav", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"noise_id3.wav", u"中村 // 海の歌", "Time 00:03:00", false},
                      RealFileCase{"silence_utf8_info.wav", u"Beyoncé // 夜明け 360°", "Time 00:01:00", false},
                      RealFileCase{"noise_cut.flac", u"中村 // 海の歌", "Time 00:01:00", false},
                      RealFileCase{"missing.mp3", u"Lyricue", "Time 00:00:00", true},
                      RealFileCase{"lyrics_cp932_crlf.txt", u"Lyricue", "Time 00:00:00", true}));

// A file the FFmpeg path refuses says why.
TEST_F(TrackOpenerTest, RefusedFlacSaysWhyAfterOpenError)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("broken.flac"));
    writeTestFile(path, "fLaC and nothing a decoder can use");
    PlaybackEngine real(PlaybackEngine::Output::Manual);
    open(real, path);
    ASSERT_FALSE(opened.ok());
    EXPECT_TRUE(opened.errorString().startsWith(path + QStringLiteral(" を開けません")))
        << opened.errorString().toStdString();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Lyricue"));
}

}  // namespace

}  // namespace lyricue
