#include "audio/lyrics_timer.h"
#include "support/test_files.h"

#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "text/record_text.h"
#include "support/test_data.h"
#include "support/text_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <optional>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

// The record's lines in record order: two after, current, one before, two before.
using FiveLines = std::array<QString, 5>;

FiveLines linesAt(const LyricsTimer& timer, std::int64_t ms)
{
    LyricsLinesRecord record;
    std::memset(&record, 0xAB, sizeof record);  // the timer must clear what it does not fill
    timer.linesAt(ms, record);
    EXPECT_EQ(record.reserved, 0);
    FiveLines lines;
    for (int i = 0; i < 5; ++i) {
        const QByteArray bytes = record_text::bytes(record.lines[i]);
        for (std::size_t rest = static_cast<std::size_t>(bytes.size()); rest < sizeof record.lines[i]; ++rest)
            EXPECT_EQ(record.lines[i][rest], '\0') << "line " << i << " byte " << rest;
        lines[i] = decodeCp932(bytes);
    }
    return lines;
}

struct Position {
    std::int64_t ms;
    FiveLines expected;
};

void expectPositions(const LyricsTimer& timer, std::initializer_list<Position> positions, const char* what)
{
    for (const Position& p : positions)
        EXPECT_EQ(linesAt(timer, p.ms), p.expected) << what << " at " << p.ms << " ms";
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath(QStringLiteral("lyrics.txt"));
    writeTestFile(path, bytes);
    return path;
}

QByteArray cp932(const char16_t* text)
{
    return encodeCp932(QStringView(text)).bytes;
}

TEST(LyricsTimer, FixturesGiveTheSameLinesInEveryEncodingAndLineEnd)
{
    // Times 0.50 s, 1.00 s and 2.00 s; the empty line between has no time.
    const QString first = str(u"はじめの行");
    const QString second = str(u"二行目");
    const QString third = str(u"三行目 end");
    const QString none;
    for (const char* name : {"lyrics_cp932_crlf.txt", "lyrics_cp932_lf.txt", "lyrics_cp932_cr.txt",
                             "lyrics_utf8_lf.txt", "lyrics_utf8_bom_crlf.txt"}) {
        LyricsTimer timer;
        ASSERT_TRUE(timer.load(testDataPath(QString::fromLatin1(name))).ok()) << name;
        expectPositions(timer,
                        {
                            {-1, {second, first, none, none, none}},  // before the first time:
                            {0, {second, first, none, none, none}},   // nothing current, two coming
                            {499, {second, first, none, none, none}},
                            {500, {third, second, first, none, none}},
                            {999, {third, second, first, none, none}},
                            {1000, {none, third, second, first, none}},
                            {1999, {none, third, second, first, none}},
                            {2000, {none, none, third, second, first}},
                            {3'600'000, {none, none, third, second, first}},
                        },
                        name);
    }
}

TEST(LyricsTimer, ReadsEveryTagFormAndSeveralTagsPerLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = writeFile(dir, cp932(
        u"[Intro]イントロ\r\n"
        u"[00:10.00][01:20.00]サビ\r\n"
        u"[00:15]verse [00:99]\r\n"
        u"[100:00.500]late\r\n"
        u"[00:20:50]stamped\r\n"
        u"[00:30.1]one fraction digit\r\n"
        u"no tag\r\n"
        u"[1:02.25]one minute digit\r\n"
        u"[ar:Someone]\r\n"
        u"[00:40.007]milliseconds\r\n"
        u"[00:60]sixty seconds\r\n"
        u"[00:50:123]three after a colon\r\n"
        u"[00:45] [00:46]spaced\r\n"));
    LyricsTimer timer;
    ASSERT_TRUE(timer.load(path).ok());
    // In time order: 10.000 サビ, 15.000 verse, 20.500 stamped, 30.100 one fraction digit,
    // 40.007 milliseconds, 45.000 " spaced", 62.250 one minute digit, 80.000 サビ,
    // 6000.500 late. A tag after the text has begun is no time of the line but the time
    // of a segment inside it, and does not show.
    const QString chorus = str(u"サビ");
    const QString verse = QStringLiteral("verse [00:99]");
    const QString stamped = QStringLiteral("stamped");
    const QString tenths = QStringLiteral("one fraction digit");
    const QString millis = QStringLiteral("milliseconds");
    const QString spaced = QStringLiteral(" spaced");
    const QString oneDigit = QStringLiteral("one minute digit");
    const QString late = QStringLiteral("late");
    const QString none;
    expectPositions(timer,
                    {
                        {9'999, {verse, chorus, none, none, none}},
                        {10'000, {stamped, verse, chorus, none, none}},
                        {15'000, {tenths, stamped, verse, chorus, none}},
                        {20'499, {tenths, stamped, verse, chorus, none}},
                        {20'500, {millis, tenths, stamped, verse, chorus}},
                        {30'100, {spaced, millis, tenths, stamped, verse}},
                        {40'006, {spaced, millis, tenths, stamped, verse}},
                        {40'007, {oneDigit, spaced, millis, tenths, stamped}},
                        {62'250, {late, chorus, oneDigit, spaced, millis}},
                        {80'000, {none, late, chorus, oneDigit, spaced}},
                        {6'000'499, {none, late, chorus, oneDigit, spaced}},
                        {6'000'500, {none, none, late, chorus, oneDigit}},
                    },
                    "tag forms");
}

TEST(LyricsTimer, LinesOfEqualTimeKeepFileOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LyricsTimer timer;
    ASSERT_TRUE(timer.load(writeFile(dir, "[00:05]b\r\n[00:01]a\r\n[00:05]c\r\n[00:05]d\r\n")).ok());
    const QString a = QStringLiteral("a"), b = QStringLiteral("b"), c = QStringLiteral("c"),
                  d = QStringLiteral("d"), none;
    expectPositions(timer, {{4'999, {c, b, a, none, none}}, {5'000, {none, none, d, c, b}}}, "equal times");
}

TEST(LyricsTimer, LongLineIsCutOnACharacterBoundary)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // "xy" and 100 two-byte characters: 126 bytes fit the 127 available, the next
    // character would need 128.
    QString text = QStringLiteral("xy") + QString(100, QChar(u'あ'));
    LyricsTimer timer;
    ASSERT_TRUE(timer.load(writeFile(dir, "[00:01]" + encodeCp932(text).bytes)).ok());
    LyricsLinesRecord record;
    timer.linesAt(1000, record);
    const QByteArray shown = record_text::bytes(record.lines[2]);
    EXPECT_EQ(shown.size(), 126);
    EXPECT_EQ(decodeCp932(shown), QStringLiteral("xy") + QString(62, QChar(u'あ')));
}

TEST(LyricsTimer, TextsKeepTheirBytesOrShowASubstitute)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LyricsTimer timer;
    // A CP932 file: an invalid byte goes to the record as it was.
    ASSERT_TRUE(timer.load(testDataPath(QStringLiteral("lyrics_invalid_bytes.txt"))).ok());
    LyricsLinesRecord record;
    timer.linesAt(2000, record);
    EXPECT_EQ(record_text::bytes(record.lines[2]), QByteArray("bad\x85\x40here"));
    EXPECT_EQ(record_text::bytes(record.lines[3]), QByteArray("ok"));

    // A UTF-8 file: an emoji, a character CP932 lacks and a broken byte show as 〓 (81 AC).
    ASSERT_TRUE(timer.load(writeFile(dir, QByteArray("\xEF\xBB\xBF[00:01]a") + QStringLiteral("\U0001F600").toUtf8()
                                              + "\xC3\xA9" "b\x85" "c\r\n")).ok());
    timer.linesAt(1000, record);
    EXPECT_EQ(record_text::bytes(record.lines[2]).toHex(), QByteArray("6181ac81ac6281ac63"));

    ASSERT_TRUE(timer.load(testDataPath(QStringLiteral("lyrics_nul.txt"))).ok());
    timer.linesAt(1000, record);
    EXPECT_EQ(decodeCp932(record_text::bytes(record.lines[2])), str(u"前半"));
}

TEST(LyricsTimer, UnreadableFileLeavesNoLines)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LyricsTimer timer;
    ASSERT_TRUE(timer.load(testDataPath(QStringLiteral("lyrics_cp932_crlf.txt"))).ok());
    const FiveLines empty;
    for (const QString& path : {dir.filePath(QStringLiteral("missing.txt")), dir.path()}) {
        EXPECT_FALSE(timer.load(path).ok()) << path.toStdString();
        expectPositions(timer, {{0, empty}, {1000, empty}, {10'000, empty}}, "after a failed load");
    }
    LyricsTimer neverLoaded;
    expectPositions(neverLoaded, {{0, empty}, {1000, empty}}, "never loaded");

    ASSERT_TRUE(timer.load(testDataPath(QStringLiteral("lyrics_cp932_crlf.txt"))).ok());
    timer.clear();
    expectPositions(timer, {{1000, empty}}, "after clear");
}

// Lines timed word by word: the five lines show the text without its inner marks, and
// the sung extent of the current line follows its segment times.
TEST(LyricsTimer, SungExtentFollowsTheSegmentTimesOfTheCurrentLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    LyricsTimer timer;
    ASSERT_TRUE(timer.load(writeFile(dir, str(u"[00:00:20]順[00:00:80]不[00:00:40]同\r\n"
                                              u"[00:01:00]あ[00:02:00]い|う[00:05:00]え\r\n"
                                              u"[00:08:00]plain [line]\r\n"
                                              u"[00:10:00]終[00:10:50]わ\r\n"
                                              u"[00:12:00][00:30:00]く[00:13:00]り\r\n"
                                              u"[00:40:00]\U0001F600[00:41:00]x\r\n")
                                              .toUtf8()))
                    .ok());

    EXPECT_EQ(linesAt(timer, 1500)[2], str(u"あいうえ"));
    EXPECT_EQ(linesAt(timer, 8000)[2], str(u"plain [line]"));
    EXPECT_EQ(linesAt(timer, 30000)[2], str(u"くり"));
    EXPECT_EQ(linesAt(timer, 40000)[2], str(u"〓x"));
    EXPECT_EQ(linesAt(timer, 8000)[3], str(u"あいうえ"));

    struct Case {
        std::int64_t ms;
        std::optional<double> extent;
        const char* what;
    };
    for (const Case& c : {
             Case{100, std::nullopt, "before the first line"},
             Case{900, 2.5, "a time out of order counts as the one before it"},
             Case{1000, 0.0, "at the line's time"},
             Case{1500, 0.5, "halfway through the first segment"},
             Case{2000, 1.0, "at the second segment's time"},
             Case{2750, 1.5, "an untimed segment shares the span after a timed one"},
             Case{3500, 2.0, "the untimed segment starts halfway through the span"},
             Case{4250, 2.5, "inside the untimed segment"},
             Case{6500, 3.5, "the last segment runs to the next line's time"},
             Case{5000, 3.0, "at the last segment's time"},
             Case{9000, std::nullopt, "a line without inner tags"},
             Case{10250, 0.5, "a line of two segments"},
             Case{11250, 1.5, "its last segment ends at the next line"},
             Case{12500, 0.5, "a repeated line, first time"},
             Case{21500, 1.5, "a repeated line, first time, last segment"},
             Case{30500, 0.5, "the inner times follow the second time of a repeated line"},
             Case{35500, 1.5, "the second time's last segment"},
             Case{41000, 1.0, "a character the display shows as a substitute counts as one"},
             Case{41500, 1.5, "the last line's last segment lasts the mean segment length"},
             Case{90000, 2.0, "and then the whole line stays sung"},
         }) {
        const std::optional<double> extent = timer.sungExtentAt(c.ms);
        ASSERT_EQ(extent.has_value(), c.extent.has_value()) << c.what;
        if (extent) {
            EXPECT_NEAR(*extent, *c.extent, 1e-6) << c.what << " at " << c.ms;
        }
    }
}

}  // namespace

}  // namespace lyricue
