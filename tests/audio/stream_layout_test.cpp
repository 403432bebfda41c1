// Where the stream lies in the fixture files and what their Xing/Info headers say.
#include "audio/stream_layout.h"

#include "audio/engine_render.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QFile>

namespace lyricue {

namespace {

using engine_render::fileTestName;

struct LayoutCase {
    const char* file;
    bool isRiff;
    std::int64_t streamBegin;
    std::int64_t firstFrame;
    bool hasXing;
    std::uint32_t xingFrames;
    bool hasId3v2;
    bool hasId3v1;
};

void PrintTo(const LayoutCase& layout, std::ostream* out)
{
    *out << layout.file;
}

class StreamLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(StreamLayoutTest, FindsTheStreamAndItsHeader)
{
    const LayoutCase& expected = GetParam();
    QFile file(testDataPath(QString::fromUtf8(expected.file)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto layout = StreamLayout::read(file);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->isRiff, expected.isRiff);
    EXPECT_EQ(layout->streamBegin, expected.streamBegin);
    EXPECT_EQ(layout->firstFrame, expected.firstFrame);
    EXPECT_EQ(layout->hasXing, expected.hasXing);
    EXPECT_EQ(layout->xingFrames.value_or(0), expected.xingFrames);
    EXPECT_EQ(layout->hasId3v2, expected.hasId3v2);
    EXPECT_EQ(layout->hasId3v1, expected.hasId3v1);
    EXPECT_FALSE(layout->isCut());
    EXPECT_EQ(layout->firstHeader.sampleRate, 44100);
    if (expected.hasXing) {
        // LAME counts the bytes from the Info frame to the end of the stream.
        EXPECT_EQ(std::int64_t(layout->xingBytes.value_or(0)), layout->streamEnd - layout->firstFrame);
    }
}

// tone.rmp: "RIFF" size "RMP3" "data" size, then the MP3 stream; its LIST chunk follows.
INSTANTIATE_TEST_SUITE_P(Fixtures, StreamLayoutTest,
                         ::testing::Values(LayoutCase{"tone_xing.mp3", false, 0, 0, true, 116, false, false},
                                           LayoutCase{"tone_noxing.mp3", false, 0, 0, false, 0, false, false},
                                           LayoutCase{"tone.rmp", true, 20, 20, true, 116, false, false},
                                           LayoutCase{"tagged_id3v2.mp3", false, 0, 97, false, 0, true, true},
                                           LayoutCase{"tagged_id3v1.mp3", false, 0, 0, false, 0, false, true}),
                         [](const auto& info) { return fileTestName(info.param.file); });

}  // namespace

}  // namespace lyricue
