#include "text/ansi_text.h"
#include "audio/audio_engine.h"
#include "display/lyrics_display.h"
#include "text/record_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lyricue {

TEST(LyricsLabelTexts, ShowsRecordLinesBottomUpDecodedFromCp932)
{
    LyricsLinesRecord record;
    std::memset(&record, 0, sizeof record);
    const char16_t* lines[5] = {u"二つ後", u"次の行", u"今の行", u"前の行", u""};
    for (int i = 0; i < 5; ++i)
        record_text::store(record.lines[i], encodeCp932(QString::fromUtf16(lines[i])).bytes);

    const std::array<QString, 5> labels = lyricsLabelTexts(record);

    EXPECT_EQ(labels[0], QString());  // record line 5 at the top
    EXPECT_EQ(labels[1], QStringLiteral("前の行"));
    EXPECT_EQ(labels[2], QStringLiteral("今の行"));
    EXPECT_EQ(labels[3], QStringLiteral("次の行"));
    EXPECT_EQ(labels[4], QStringLiteral("二つ後"));  // record line 1 at the bottom
}

TEST(LyricsLabelTexts, FieldWithoutNulIsReadToItsEnd)
{
    LyricsLinesRecord record;
    std::memset(&record, 0, sizeof record);
    std::memset(record.lines[2], 'a', sizeof record.lines[2]);
    EXPECT_EQ(lyricsLabelTexts(record)[2], QString(128, u'a'));
}

}  // namespace lyricue
