#include "lyricsfile/lyrics_format.h"

#include <gtest/gtest.h>

namespace lyricue {

struct TagCase {
    const char16_t* line;
    const char16_t* tag;
    const char16_t* text;
};

class SplitLyricTagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(SplitLyricTagTest, SplitsALeadingTimeFromTheText)
{
    const TaggedLine split = splitLyricTag(QString::fromUtf16(GetParam().line));
    EXPECT_EQ(split.tag, QString::fromUtf16(GetParam().tag));
    EXPECT_EQ(split.text, QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitLyricTagTest,
    ::testing::Values(TagCase{u"[01:23:45]Hello", u"[01:23:45]", u"Hello"},
                      TagCase{u"[01:23]Hello", u"[01:23]", u"Hello"},
                      TagCase{u"[01:23:45]", u"[01:23:45]", u""},
                      TagCase{u"[01:23:45] la", u"[01:23:45]", u" la"},
                      TagCase{u"[01:23.45]x", u"[01:23.45]", u"x"},
                      TagCase{u"[100:00:00]x", u"[100:00:00]", u"x"},
                      TagCase{u"[1:23.4]x", u"[1:23.4]", u"x"},
                      // A section label is a lyric, also behind a time.
                      TagCase{u"[Intro]", u"", u"[Intro]"},
                      TagCase{u"[Chorus 1]", u"", u"[Chorus 1]"},
                      TagCase{u"[Verse] words", u"", u"[Verse] words"},
                      TagCase{u"[00:12:34][Intro]", u"[00:12:34]", u"[Intro]"},
                      TagCase{u"[あいうえお]歌", u"", u"[あいうえお]歌"},
                      TagCase{u"Hello", u"", u"Hello"},
                      TagCase{u"", u"", u""}));

TEST(JoinLyricTag, JoinsIntoAStringThatHeldAnotherLine)
{
    const struct {
        const char16_t* held;
        const char16_t* tag;
        const char16_t* text;
    } cases[] = {
        {u"[00:00:00]ずっと長かった前の行の歌詞", u"[01:23:45]", u"短い"},
        {u"", u"[01:23]", u"x"},
        {u"abc", u"", u""},
        {u"abc", u"", u"[Chorus]"},
    };
    for (const auto& c : cases) {
        QString line = QString::fromUtf16(c.held);
        joinLyricTag(QString::fromUtf16(c.tag), QString::fromUtf16(c.text), line);
        EXPECT_EQ(line, joinLyricTag(QString::fromUtf16(c.tag), QString::fromUtf16(c.text)));
        EXPECT_EQ(line, QString::fromUtf16(c.tag) + QString::fromUtf16(c.text));
    }
}

}  // namespace lyricue
