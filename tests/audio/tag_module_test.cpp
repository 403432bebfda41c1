#include "audio/audio_engine.h"
#include "support/test_files.h"
#include "audio/tag_reader.h"
#include "audio/tags/tag_module_entry.h"
#include "audio/track_audio_data.h"
#include "audio/track_lyrics.h"
#include "engine_render.h"
#include "support/test_data.h"
#include "text/ansi_text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace lyricue {

namespace {

// The folder this build puts the tag reader module in.
const QString BuiltModuleFolder = QStringLiteral(LYRICUE_TAG_MODULE_DIR);

TEST(TagModule, LoadsFromTheFirstFolderThatHoldsIt)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    testing::internal::CaptureStderr();
    const ResultOf<TagModule> entry = loadTagModule({empty.path(), BuiltModuleFolder});
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(entry.ok()) << entry.errorString().toStdString();
    EXPECT_EQ(said, "");

    TrackTagRecord tags;
    TrackTextRecord texts;
    std::memset(&tags, 0xAA, sizeof tags);
    const QString path = testDataPath(QStringLiteral("tagged_id3v1.mp3"));
    EXPECT_TRUE(entry->readTags(&path, &tags, &texts));
    EXPECT_NE(tags.title[0], '\0');
}

// A missing module, or a library that is not the module, leaves the program
// without tags and says why, for each folder tried.
TEST(TagModule, SaysWhyWhenNoFolderHoldsIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QTemporaryDir impostorFolder;
    ASSERT_TRUE(impostorFolder.isValid());
    // A file of the module's name that is no library at all.
    writeTestFile(QDir(impostorFolder.path()).filePath(QStringLiteral("liblyricue_tags.so")), "not a library");

    const ResultOf<TagModule> entry = loadTagModule({folder.path(), impostorFolder.path()});
    ASSERT_FALSE(entry.ok());
    const QString said = entry.errorString();
    EXPECT_TRUE(said.contains(QStringLiteral("lyricue_tags"))) << said.toStdString();
    EXPECT_TRUE(said.contains(folder.path())) << said.toStdString();
    EXPECT_TRUE(said.contains(impostorFolder.path())) << said.toStdString();
}

// --- Lyrics in the track's tags ---

QString copyFixture(const QTemporaryDir& dir, const char* name, const char* as = nullptr)
{
    const QString copy = dir.filePath(QString::fromUtf8(as ? as : name));
    writeTestFile(copy, readTestFile(testDataPath(QString::fromUtf8(name))));
    return copy;
}

QStringList folderEntries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// What the engine plays of a track: its length and every sample.
struct Played {
    std::int32_t lengthSeconds = -1;
    std::vector<float> samples;
};

Played playThrough(const QString& path)
{
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    engine_render::useExactOutput(engine);
    TrackOpenRecord info{};
    Played played;
    if (engine.vbmp3_open(path, info) != 1 || engine.vbmp3_play() != 1)
        return played;
    played.lengthSeconds = info.lengthSeconds;
    played.samples = engine_render::renderToEnd(engine).samples;
    return played;
}

TrackLyrics lyricsOf(std::vector<TrackLyrics::TimedLine> timed, const QString& text)
{
    TrackLyrics lyrics;
    lyrics.timedLines = std::move(timed);
    lyrics.text = text;
    return lyrics;
}

const TrackLyrics Song = lyricsOf({{12340, QStringLiteral("夏の夜")}, {65000, QStringLiteral("second \U0001F3B5 line")},
                                   {3723450, QStringLiteral("long after")}},
                                  QStringLiteral("[ti:夏]\n[00:12.34]夏の夜\n[01:05.00]second \U0001F3B5 line\n"
                                                 "no time\n[62:03.45]long after"));
const TrackLyrics Shorter = lyricsOf({{500, QStringLiteral("only")}}, QStringLiteral("[00:00.50]only"));

// A FLAC file with a cover picture block put in before its last metadata block.
QByteArray flacWithCover(const QByteArray& flac, const QByteArray& picture)
{
    qsizetype at = 4;
    while (!(static_cast<unsigned char>(flac[at]) & 0x80))
        at += 4 + ((static_cast<unsigned char>(flac[at + 1]) << 16) | (static_cast<unsigned char>(flac[at + 2]) << 8) |
                   static_cast<unsigned char>(flac[at + 3]));
    QByteArray block(1, char(6));
    block += char(picture.size() >> 16);
    block += char(picture.size() >> 8);
    block += char(picture.size());
    return flac.left(at) + block + picture + flac.mid(at);
}

struct RoundTrip {
    const char* file;
    bool timed;  // ID3v2 formats carry the SYLT lines too
    const char* textSource;
};

void PrintTo(const RoundTrip& param, std::ostream* out)
{
    *out << param.file;
}

class TrackLyricsRoundTrip : public testing::TestWithParam<RoundTrip> {};

// Written, read back through TagLib, and played through the engine: the lyrics come back,
// replacing those before; the other tags, the cover and every sample stay.
TEST_P(TrackLyricsRoundTrip, LyricsComeBackAndTheTrackPlaysTheSame)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = copyFixture(dir, GetParam().file);
    // A cover in a FLAC file is a picture block, which the rewrite must carry over.
    // A front cover: type 3, "image/png", no description, 16 x 16 x 24, four bytes of data.
    const QByteArray cover = QByteArray::fromHex("00000003" "00000009") + "image/png" +
                             QByteArray::fromHex("00000000" "00000010" "00000010" "00000018" "00000000" "00000004") +
                             "PNG!";
    if (track.endsWith(QStringLiteral(".flac"))) {
        writeTestFile(track, flacWithCover(readTestFile(track), cover));
    }
    const QByteArray before = readTestFile(track);
    TrackTagRecord tagsBefore{}, tagsAfter{};
    TrackTextRecord texts{};
    ASSERT_TRUE(readTrackTags(track, tagsBefore, texts).ok());
    const Played played = playThrough(track);
    ASSERT_GT(played.samples.size(), 0u);

    const Result written = writeTrackLyrics(track, Song);
    ASSERT_TRUE(written.ok()) << written.errorString().toStdString();

    const ResultOf<TrackLyrics> read = readTrackLyrics(track);
    ASSERT_TRUE(read.ok()) << read.errorString().toStdString();
    EXPECT_EQ(read->text, Song.text);
    EXPECT_EQ(read->textSource, QString::fromUtf8(GetParam().textSource));
    EXPECT_EQ(read->timedLines, GetParam().timed ? Song.timedLines : std::vector<TrackLyrics::TimedLine>());
    ASSERT_TRUE(readTrackTags(track, tagsAfter, texts).ok());
    EXPECT_EQ(QByteArray(tagsAfter.title), QByteArray(tagsBefore.title));
    EXPECT_EQ(QByteArray(tagsAfter.artist), QByteArray(tagsBefore.artist));
    const Played again = playThrough(track);
    EXPECT_EQ(again.lengthSeconds, played.lengthSeconds);
    EXPECT_TRUE(again.samples == played.samples);
    if (track.endsWith(QStringLiteral(".flac"))) {
        EXPECT_TRUE(readTestFile(track).contains(cover));
    }
    // The file grows by the lyrics (twice over in ID3v2: SYLT and USLT) and the tag's padding.
    const qsizetype grown = QFileInfo(track).size() - before.size();
    EXPECT_LE(grown, 2 * Song.text.toUtf8().size() + 4096) << grown;

    // Other lyrics replace these; written twice, they take no more room than once.
    ASSERT_TRUE(writeTrackLyrics(track, Shorter).ok());
    const qint64 onceSize = QFileInfo(track).size();
    ASSERT_TRUE(writeTrackLyrics(track, Shorter).ok());
    EXPECT_EQ(QFileInfo(track).size(), onceSize);
    const ResultOf<TrackLyrics> replaced = readTrackLyrics(track);
    ASSERT_TRUE(replaced.ok());
    EXPECT_EQ(replaced->text, Shorter.text);
    EXPECT_EQ(replaced->timedLines, GetParam().timed ? Shorter.timedLines : std::vector<TrackLyrics::TimedLine>());
    EXPECT_TRUE(playThrough(track).samples == played.samples);
    EXPECT_EQ(folderEntries(dir), QStringList{QFileInfo(track).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Formats, TrackLyricsRoundTrip,
                         testing::Values(RoundTrip{"tagged_id3v2.mp3", true, "ID3v2 USLT"},
                                         RoundTrip{"tone_xing.mp3", true, "ID3v2 USLT"},
                                         RoundTrip{"noise.wav", true, "ID3v2 USLT"},
                                         RoundTrip{"noise_id3.wav", true, "ID3v2 USLT"},
                                         RoundTrip{"clicks.flac", false, "Vorbis comment LYRICS"},
                                         RoundTrip{"clicks.ogg", false, "Vorbis comment LYRICS"},
                                         RoundTrip{"clicks.opus", false, "Vorbis comment LYRICS"},
                                         RoundTrip{"chained.ogg", false, "Vorbis comment LYRICS"},
                                         RoundTrip{"clicks.m4a", false, "MP4 ©lyr"}),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                             return engine_render::fileTestName(info.param.file);
                         });

QByteArray bigEndian32(qsizetype value)
{
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray id3v23Frame(const char* id, const QByteArray& body)
{
    return QByteArray(id) + bigEndian32(body.size()) + QByteArray(2, '\0') + body;
}

QByteArray cp932Of(const QString& text)
{
    return encodeCp932(text).bytes;
}

// An ID3v2.3 tag as Japanese tools write it: CP932 bytes in Latin-1 frames, a SYLT timed
// in MPEG frames with one entry per syllable and a line break before each line, a
// plain USLT, a title and a cover picture.
QByteArray japaneseId3v23Tag(const QByteArray& picture)
{
    QByteArray sylt = QByteArray("\0jpn\x01\x01\0", 7);
    const std::pair<QByteArray, int> syllables[] = {
        {"\n" + cp932Of(QStringLiteral("夏の")), 100}, {cp932Of(QStringLiteral("夜")), 120}, {"\nsecond", 200}};
    for (const auto& [text, frame] : syllables)
        sylt += text + '\0' + bigEndian32(frame);
    const QByteArray frames = id3v23Frame("TIT2", '\0' + cp932Of(QStringLiteral("題名"))) +
                              id3v23Frame("SYLT", sylt) + id3v23Frame("SYLT", sylt) +
                              id3v23Frame("USLT", QByteArray("\0jpn\0", 5) + "plain words") +
                              id3v23Frame("APIC", QByteArray("\0image/png\0\x03\0", 13) + picture);
    const qsizetype size = frames.size();
    return QByteArray("ID3\x03\0\0", 6) + char((size >> 21) & 0x7F) + char((size >> 14) & 0x7F) +
           char((size >> 7) & 0x7F) + char(size & 0x7F) + frames;
}

qsizetype countOf(const QByteArray& bytes, const QByteArray& what)
{
    qsizetype count = 0;
    for (qsizetype at = bytes.indexOf(what); at >= 0; at = bytes.indexOf(what, at + 1))
        ++count;
    return count;
}

TEST(TrackLyricsId3, ReadsCp932SyllablesInMpegFramesAndRewritesThemAsOneFrameEachInTheSameVersion)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = dir.filePath(QStringLiteral("song.mp3"));
    const QByteArray picture = "\x89PNG picture bytes";
    writeTestFile(track, japaneseId3v23Tag(picture) + readTestFile(testDataPath(QStringLiteral("tone_xing.mp3"))));

    const ResultOf<TrackLyrics> read = readTrackLyrics(track);
    ASSERT_TRUE(read.ok()) << read.errorString().toStdString();
    // 1152 samples at 44.1 kHz: a frame lasts 26.12 ms.
    EXPECT_EQ(read->timedLines, (std::vector<TrackLyrics::TimedLine>{{2612, QStringLiteral("夏の夜")},
                                                                      {5224, QStringLiteral("second")}}));
    EXPECT_EQ(read->timedSource, QStringLiteral("ID3v2 SYLT"));
    EXPECT_EQ(read->text, QStringLiteral("plain words"));

    ASSERT_TRUE(writeTrackLyrics(track, Song).ok());
    const QByteArray after = readTestFile(track);
    EXPECT_EQ(after.at(3), 3) << "the tag stays ID3v2.3";
    EXPECT_EQ(countOf(after, "SYLT"), 1);
    EXPECT_EQ(countOf(after, "USLT"), 1);
    EXPECT_EQ(after.at(after.indexOf("SYLT") + 10), 1) << "UTF-16 in ID3v2.3";
    EXPECT_TRUE(after.contains(picture));
    TrackTagRecord tags{};
    TrackTextRecord texts{};
    ASSERT_TRUE(readTrackTags(track, tags, texts).ok());
    EXPECT_EQ(QByteArray(tags.title), cp932Of(QStringLiteral("題名")));
    const ResultOf<TrackLyrics> back = readTrackLyrics(track);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->timedLines, Song.timedLines);
    EXPECT_EQ(back->text, Song.text);
}

struct Refusal {
    const char* name;
    QByteArray bytes;
    const char* reason;
};

void PrintTo(const Refusal& param, std::ostream* out)
{
    *out << param.name;
}

class TrackLyricsRefusal : public testing::TestWithParam<Refusal> {};

// A track that cannot take lyrics is left byte for byte as it was, with nothing beside
// it, and the message names it and says why.
TEST_P(TrackLyricsRefusal, LeavesTheTrackAsItWasAndSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = dir.filePath(QString::fromUtf8(GetParam().name));
    writeTestFile(track, GetParam().bytes);

    const Result written = writeTrackLyrics(track, Song);
    ASSERT_FALSE(written.ok());
    const QString said = written.errorString();
    EXPECT_TRUE(said.contains(QStringLiteral("「%1」に歌詞を書き込めません").arg(QDir::toNativeSeparators(track))))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromUtf8(GetParam().reason))) << said.toStdString();
    EXPECT_EQ(readTestFile(track), GetParam().bytes);
    EXPECT_EQ(folderEntries(dir), QStringList{QString::fromUtf8(GetParam().name)});
}

QByteArray fixture(const char* name)
{
    return readTestFile(testDataPath(QString::fromUtf8(name)));
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, TrackLyricsRefusal,
    testing::Values(Refusal{"tone.rmp", fixture("tone.rmp"), "RMP ファイルは歌詞を格納できません"},
                    Refusal{"text.mp3", "no audio at all, only words\n", "壊れている"},
                    Refusal{"cut.flac", fixture("clicks.flac").left(30), "壊れている"},
                    Refusal{"cut.m4a", fixture("clicks.m4a").left(600), "壊れている"},
                    Refusal{"empty.ogg", QByteArray(), "壊れている"}),
    [](const testing::TestParamInfo<Refusal>& info) { return engine_render::fileTestName(info.param.name); });

TEST(TrackLyricsRefusal, ReadOnlyTrackIsLeftAlone)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString track = copyFixture(dir, "clicks.flac");
    ASSERT_TRUE(QFile::setPermissions(track, QFileDevice::ReadOwner));
    const Result written = writeTrackLyrics(track, Song);
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.errorString().contains(QStringLiteral("許可されていません"))) << written.errorString().toStdString();
    EXPECT_EQ(readTestFile(track), fixture("clicks.flac"));
}

// The check before a rewritten track replaces the original: a changed audio byte is
// caught, a changed tag is not.
TEST(TrackAudioData, ATagChangeIsTheSameAudioAndAnAudioByteIsNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"clicks.flac", "clicks.ogg", "clicks.opus", "tone_xing.mp3", "noise.wav", "clicks.m4a"}) {
        SCOPED_TRACE(name);
        const QString original = copyFixture(dir, name);
        const QString tagged = copyFixture(dir, name, "tagged");
        const QString changed = copyFixture(dir, name, "changed");
        ASSERT_TRUE(writeTrackLyrics(tagged, Song).ok());
        EXPECT_TRUE(sameAudioData(original, tagged).ok());
        QByteArray bytes = readTestFile(original);
        // The audio lies in the file's second half in every fixture.
        bytes[bytes.size() * 3 / 4] = char(bytes[bytes.size() * 3 / 4] ^ 0x01);
        writeTestFile(changed, bytes);
        EXPECT_FALSE(sameAudioData(original, changed).ok());
    }
}

}  // namespace

}  // namespace lyricue
