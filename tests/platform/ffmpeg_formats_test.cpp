#include "audio/decoder_factory.h"
#include "audio/mp3_engine.h"
#include "ffmpeg/ffmpeg_module_entry.h"
#include "test_data.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Format {
    const char* file;
    const char* cut;
    int rate;
    std::int64_t length;  // frames of the 3 s the file was made from
    int seekError;        // frames a seek may land off its target
};

// The fixtures of tests/data/make_fixtures.sh: 3 s of noise each.
const Format kFormats[] = {
    {"noise.flac", "noise_cut.flac", 22050, 66150, 0},
    {"noise.wav", "noise_cut.wav", 22050, 66150, 0},
    {"noise.ogg", "noise_cut.ogg", 22050, 66150, 0},
    {"noise.opus", "noise_cut.opus", 48000, 144000, 0},
    {"noise.m4a", "noise_cut.m4a", 22050, 66150, 0},
};

std::unique_ptr<Decoder> open(const char* name)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(testDataPath(QString::fromUtf8(name)));
    EXPECT_TRUE(opened.ok()) << name << ": " << opened.errorString().toStdString();
    return opened.ok() ? std::move(opened).value() : nullptr;
}

// Every frame from the decoder's position to its end, left channel.
std::vector<float> readToEnd(Decoder& decoder)
{
    std::vector<float> left;
    std::vector<float> block(2 * 1000);
    while (int got = decoder.read(block.data(), 1000)) {
        for (int i = 0; i < got; ++i)
            left.push_back(block[std::size_t(i) * 2]);
    }
    return left;
}

// The lag at which `heard` best matches `whole` from `at` on (within ±range).
int bestLag(const std::vector<float>& whole, std::int64_t at, const std::vector<float>& heard, int range)
{
    int best = std::numeric_limits<int>::max();
    double bestError = std::numeric_limits<double>::max();
    for (int lag = -range; lag <= range; ++lag) {
        double error = 0;
        for (std::size_t i = 0; i < heard.size(); ++i) {
            const std::int64_t j = at + lag + std::int64_t(i);
            const float other = j >= 0 && j < std::int64_t(whole.size()) ? whole[std::size_t(j)] : 0.0f;
            error += double(heard[i] - other) * double(heard[i] - other);
        }
        if (error < bestError) {
            bestError = error;
            best = lag;
        }
    }
    return best;
}

class FfmpegFormat : public testing::TestWithParam<Format> {};

TEST_P(FfmpegFormat, OpensWithItsExactLengthAndDecodesThatMany)
{
    const Format& format = GetParam();
    std::unique_ptr<Decoder> decoder = open(format.file);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->sampleRate(), format.rate);
    EXPECT_EQ(decoder->lengthFrames(), format.length);
    EXPECT_EQ(decoder->position(), 0);
    EXPECT_EQ(std::int64_t(readToEnd(*decoder).size()), format.length);
    EXPECT_EQ(decoder->position(), format.length);
}

// A seek lands where the frames it gives are those a decoding from the start gives there.
TEST_P(FfmpegFormat, SeekLandsOnTheFrameAskedFor)
{
    const Format& format = GetParam();
    std::unique_ptr<Decoder> decoder = open(format.file);
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> whole = readToEnd(*decoder);
    for (const std::int64_t target : {std::int64_t(1), std::int64_t(format.rate / 3), std::int64_t(format.rate + 17),
                                      std::int64_t(2 * format.rate + 5), format.length - 700, std::int64_t(0)}) {
        ASSERT_TRUE(decoder->seek(target)) << target;
        EXPECT_EQ(decoder->position(), target);
        std::vector<float> block(2 * 600);
        ASSERT_EQ(decoder->read(block.data(), 600), 600) << target;
        std::vector<float> heard;
        for (int i = 0; i < 600; ++i)
            heard.push_back(block[std::size_t(i) * 2]);
        EXPECT_LE(std::abs(bestLag(whole, target, heard, 400)), format.seekError) << format.file << " at " << target;
    }
    ASSERT_TRUE(decoder->seek(format.length));
    EXPECT_EQ(decoder->position(), format.length);
    float frame[2];
    EXPECT_EQ(decoder->read(frame, 1), 0);
}

// A file cut short plays what decodes, and its length is that; or it is refused with a
// reason. It never claims frames it cannot give.
TEST_P(FfmpegFormat, CutShortOpensUpToWhereItDecodes)
{
    const Format& format = GetParam();
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(testDataPath(QString::fromUtf8(format.cut)));
    if (!opened.ok()) {
        EXPECT_FALSE(opened.errorString().isEmpty());
        return;
    }
    Decoder& decoder = *opened.value();
    EXPECT_GT(decoder.lengthFrames(), 0);
    EXPECT_LT(decoder.lengthFrames(), format.length);
    EXPECT_EQ(std::int64_t(readToEnd(decoder).size()), decoder.lengthFrames()) << format.cut;
}

// Through the engine: the length in whole seconds, and a seek plays on from there.
TEST_P(FfmpegFormat, EngineOpensSeeksAndPlays)
{
    const Format& format = GetParam();
    Mp3Engine engine(Mp3Engine::Output::Manual);
    TrackOpenRecord info{};
    ASSERT_EQ(engine.vbmp3_open(testDataPath(QString::fromUtf8(format.file)), info), 1);
    EXPECT_EQ(info.lengthSeconds, 3);
    EXPECT_EQ(info.sampleRate, format.rate);
    ASSERT_EQ(engine.vbmp3_seek(2), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    std::vector<float> block(2 * 4410);
    EXPECT_EQ(engine.render(block.data(), 4410), 4410);
    EXPECT_EQ(engine.playFrame(), 2 * std::int64_t(format.rate) + 4410);
}

INSTANTIATE_TEST_SUITE_P(Formats, FfmpegFormat, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<Format>& info) {
                             std::string name = info.param.file;
                             return name.substr(name.find('.') + 1);
                         });

TEST(FfmpegModule, MissingModuleIsNamedAndMp3StillOpens)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    QString reasons;
    EXPECT_EQ(loadFfmpegModule({empty.path()}, &reasons), nullptr);
    EXPECT_TRUE(reasons.contains(empty.path())) << reasons.toStdString();
    EXPECT_TRUE(openDecoderFor(testDataPath(QStringLiteral("tone_xing.mp3"))).ok());
}

TEST(FfmpegModule, BytesOfNoFormatAreRefusedWithAReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("fake.flac"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("fLaC but nothing after it");
    file.close();
    Mp3Engine engine(Mp3Engine::Output::Manual);
    TrackOpenRecord info{};
    EXPECT_EQ(engine.vbmp3_open(path, info), 0);
    EXPECT_TRUE(engine.openErrorString().contains(path)) << engine.openErrorString().toStdString();
}

}  // namespace
