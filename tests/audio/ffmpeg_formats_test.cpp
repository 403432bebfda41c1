#include "audio/decoder_factory.h"
#include "support/test_files.h"
#include "audio/playback_engine.h"
#include "audio/decoder_reading.h"
#include "audio/ffmpeg/ffmpeg_module_entry.h"
#include "support/test_data.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace lyricue {

using decoder_reading::readLeft;

namespace {

struct Format {
    const char* file;
    const char* cut;
    int rate;
    std::int64_t length;  // frames of the 3 s the file was made from
};

// The fixtures of tests/data/make_fixtures.sh: 3 s of noise each.
const Format kFormats[] = {
    {"noise.flac", "noise_cut.flac", 22050, 66150},
    {"noise.wav", "noise_cut.wav", 22050, 66150},
    {"noise.ogg", "noise_cut.ogg", 22050, 66150},
    {"noise.opus", "noise_cut.opus", 48000, 144000},
    {"noise.m4a", "noise_cut.m4a", 22050, 66150},
};

std::unique_ptr<Decoder> open(const char* name)
{
    return decoder_reading::openFixture(name);
}

std::vector<float> readToEnd(Decoder& decoder)
{
    return readLeft(decoder);
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
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
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

struct SeekCase {
    const char* file;
    // Largest share of a stretch's energy by which it may differ after a seek from a
    // decoding from the start: Opus need not settle to the same bits in its pre-roll, and
    // AAC fills noisy bands with noise of its own.
    double difference;
};

void PrintTo(const SeekCase& seekCase, std::ostream* out)
{
    *out << seekCase.file;
}

// The sum of squared differences between `heard` and `whole` from `at` on.
double differenceAt(const std::vector<float>& whole, std::int64_t at, const std::vector<float>& heard)
{
    double sum = 0;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const std::int64_t j = at + std::int64_t(i);
        const double other = j >= 0 && j < std::int64_t(whole.size()) ? whole[std::size_t(j)] : 0.0;
        sum += (heard[i] - other) * (heard[i] - other);
    }
    return sum;
}

// Pause, resume and speed changes seek to any frame. Each lands on the frame asked for:
// the frames after it match a decoding from the start there best, and differ from it by
// no more than the codec's own noise.
class FfmpegSeek : public testing::TestWithParam<SeekCase> {};

TEST_P(FfmpegSeek, AnyFrameGivesTheFramesOfAStraightDecode)
{
    const SeekCase& seekCase = GetParam();
    std::unique_ptr<Decoder> decoder = open(seekCase.file);
    ASSERT_NE(decoder, nullptr);
    const std::vector<float> whole = readToEnd(*decoder);
    ASSERT_EQ(std::int64_t(whole.size()), decoder->lengthFrames());
    const std::int64_t rate = decoder->sampleRate();
    std::vector<std::int64_t> targets = {1, rate / 3, rate + 17, 2 * rate + 5, decoder->lengthFrames() - 700, 0};
    std::mt19937 random(11);
    for (int i = 0; i < 60; ++i)
        targets.push_back(std::uniform_int_distribution<std::int64_t>(0, decoder->lengthFrames() - 1)(random));
    int off = 0;
    for (const std::int64_t target : targets) {
        ASSERT_TRUE(decoder->seek(target).ok()) << target;
        ASSERT_EQ(decoder->position(), target);
        const std::vector<float> heard = readLeft(*decoder, 600);
        ASSERT_EQ(std::int64_t(heard.size()), std::min<std::int64_t>(600, decoder->lengthFrames() - target)) << target;
        double energy = 0;
        for (std::size_t i = 0; i < heard.size(); ++i)
            energy += double(whole[std::size_t(target) + i]) * whole[std::size_t(target) + i];
        const double difference = differenceAt(whole, target, heard);
        bool best = true;
        for (int lag = -32; lag <= 32 && best; ++lag)
            best = lag == 0 || differenceAt(whole, target + lag, heard) > difference;
        if (!best || difference > seekCase.difference * energy) {
            ++off;
            ADD_FAILURE() << seekCase.file << ": a seek to " << target << " differs by " << difference / energy
                          << (best ? "" : ", and matches better at another frame");
        }
    }
    EXPECT_EQ(off, 0) << "of " << targets.size() << " seeks";
    ASSERT_TRUE(decoder->seek(decoder->lengthFrames()).ok());
    EXPECT_EQ(decoder->position(), decoder->lengthFrames());
    float frame[2];
    EXPECT_EQ(decoder->read(frame, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, FfmpegSeek,
                         testing::Values(SeekCase{"noise.flac", 1e-9}, SeekCase{"noise.wav", 1e-9},
                                         SeekCase{"noise.ogg", 1e-9}, SeekCase{"noise.opus", 1e-2},
                                         SeekCase{"noise.m4a", 0.5}, SeekCase{"clicks.flac", 1e-9},
                                         SeekCase{"clicks.ogg", 1e-9}, SeekCase{"clicks.opus", 1e-2},
                                         SeekCase{"clicks.m4a", 0.5}, SeekCase{"bursts.ogg", 1e-9},
                                         SeekCase{"chained.ogg", 1e-9}),
                         [](const testing::TestParamInfo<SeekCase>& info) {
                             std::string name = info.param.file;
                             return name.replace(name.find('.'), 1, "_");
                         });

// Where the fixtures' clicks begin, in seconds: each at 7 frames after that time.
const double kClickSeconds[] = {0.4, 1.1, 1.9, 2.6, 3.2, 3.7};
// How far from its frame a lossy codec may move the point where a click rises.
constexpr std::int64_t kClickTolerance = 16;

std::int64_t clickFrame(double seconds, int rate)
{
    return std::llround(seconds * rate) + 7;
}

// Track frames where a click rises: the first frame above half its height after a tenth
// of a second below that.
std::vector<std::int64_t> clickOnsets(const std::vector<float>& left, std::int64_t firstFrame, int rate)
{
    std::vector<std::int64_t> onsets;
    std::int64_t quiet = rate;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (std::fabs(left[i]) < 0.4f) {
            ++quiet;
            continue;
        }
        if (quiet >= rate / 10)
            onsets.push_back(firstFrame + std::int64_t(i));
        quiet = 0;
    }
    return onsets;
}

// Each onset heard is a click of the file at its own frame, and every click from
// `fromSeconds` on is heard.
void expectClicksAtTheirFrames(const std::vector<std::int64_t>& onsets, const std::vector<double>& clickSeconds,
                               double fromSeconds, int rate, std::int64_t offset = 0)
{
    for (const std::int64_t onset : onsets) {
        bool known = false;
        for (const double seconds : clickSeconds)
            known = known || std::llabs(onset - offset - clickFrame(seconds, rate)) <= kClickTolerance;
        EXPECT_TRUE(known) << "a click heard at frame " << onset << ", where the file has none";
    }
    for (const double seconds : clickSeconds) {
        if (seconds < fromSeconds)
            continue;
        const std::int64_t frame = offset + clickFrame(seconds, rate);
        bool heard = false;
        for (const std::int64_t onset : onsets)
            heard = heard || std::llabs(onset - frame) <= kClickTolerance;
        EXPECT_TRUE(heard) << "the click at frame " << frame << " is not heard there";
    }
}

using Damage = std::function<QByteArray(QByteArray)>;

std::function<qsizetype(const QByteArray&)> middle = [](const QByteArray& bytes) { return bytes.size() / 2; };

Damage flipByteAt(std::function<qsizetype(const QByteArray&)> where)
{
    return [where](QByteArray bytes) {
        bytes[where(bytes)] = char(bytes[where(bytes)] ^ 0xFF);
        return bytes;
    };
}

Damage zeroBytesInTheMiddle(int count)
{
    return [count](QByteArray bytes) { return bytes.replace(bytes.size() / 2, count, QByteArray(count, '\0')); };
}

// The Ogg page that holds the byte at `share` of the file, cut out.
Damage cutOggPage(double share)
{
    return [share](QByteArray bytes) {
        const qsizetype at = qsizetype(double(bytes.size()) * share);
        for (qsizetype page = 0;;) {
            const int segments = std::uint8_t(bytes[page + 26]);
            qsizetype size = 27 + segments;
            for (int i = 0; i < segments; ++i)
                size += std::uint8_t(bytes[page + 27 + i]);
            if (page + size > at)
                return bytes.remove(page, size);
            page += size;
        }
    };
}

// Whether a FLAC frame header starts at `at`: its sync code and its checksum.
bool isFlacFrame(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return std::uint8_t(bytes[at + i]); };
    if (at + 16 > bytes.size() || byte(0) != 0xFF || (byte(1) & 0xFE) != 0xF8)
        return false;
    int numberBytes = 0;
    for (std::uint8_t lead = byte(4); lead & 0x80; lead = std::uint8_t(lead << 1))
        ++numberBytes;
    const int blockCode = byte(2) >> 4;
    const int rateCode = byte(2) & 15;
    const qsizetype length = 4 + std::max(numberBytes, 1) + (blockCode == 6 ? 1 : blockCode == 7 ? 2 : 0)
        + (rateCode == 12 ? 1 : rateCode == 13 || rateCode == 14 ? 2 : 0);
    std::uint8_t crc = 0;
    for (qsizetype i = 0; i < length; ++i) {
        crc ^= byte(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80 ? std::uint8_t((crc << 1) ^ 0x07) : std::uint8_t(crc << 1);
    }
    return crc == byte(length);
}

qsizetype flacFrameFrom(const QByteArray& bytes, qsizetype at)
{
    while (!isFlacFrame(bytes, at))
        ++at;
    return at;
}

qsizetype middleFlacFrame(const QByteArray& bytes)
{
    return flacFrameFrom(bytes, bytes.size() / 2);
}

QByteArray cutFlacFrame(QByteArray bytes)
{
    const qsizetype frame = middleFlacFrame(bytes);
    return bytes.remove(frame, flacFrameFrom(bytes, frame + 1) - frame);
}

Damage intact = [](QByteArray bytes) { return bytes; };

// A copy of the fixture `file` in `folder`, damaged.
QString damagedCopy(const QTemporaryDir& folder, const char* file, const Damage& damage)
{
    QFile intact(testDataPath(QString::fromUtf8(file)));
    EXPECT_TRUE(intact.open(QIODevice::ReadOnly)) << file;
    const QString path = folder.filePath(QStringLiteral("damaged.") + QFileInfo(intact.fileName()).suffix());
    writeTestFile(path, damage(intact.readAll()));
    return path;
}

struct DamageCase {
    const char* name;
    const char* file;
    Damage damage;
};

void PrintTo(const DamageCase& damage, std::ostream* out)
{
    *out << damage.name;
}

// A file damaged in the middle: what was lost there is silence of its length, and every
// click after the damage is heard at its own frame, read straight through or after a
// seek to before the damage or after it. The length stays the intact file's.
class FfmpegDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(FfmpegDamage, ClicksAfterTheDamageKeepTheirFrames)
{
    const DamageCase& damage = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = damagedCopy(folder, damage.file, damage.damage);
    std::unique_ptr<Decoder> decoder = decoder_reading::openFixture(path);
    ASSERT_NE(decoder, nullptr);
    const int rate = decoder->sampleRate();
    EXPECT_EQ(decoder->lengthFrames(), 4 * std::int64_t(rate));
    const std::vector<double> clicks(std::begin(kClickSeconds), std::end(kClickSeconds));
    const std::vector<float> straight = readLeft(*decoder);
    EXPECT_EQ(std::int64_t(straight.size()), decoder->lengthFrames());
    expectClicksAtTheirFrames(clickOnsets(straight, 0, rate), clicks, 2.6, rate);
    for (const double seconds : {1.0, 2.4}) {
        SCOPED_TRACE(seconds);
        const std::int64_t from = std::llround(seconds * rate);
        ASSERT_TRUE(decoder->seek(from).ok());
        EXPECT_EQ(decoder->position(), from);
        expectClicksAtTheirFrames(clickOnsets(readLeft(*decoder), from, rate), clicks, 2.6, rate);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FfmpegDamage,
    testing::Values(DamageCase{"FlacIntact", "clicks.flac", intact},
                    DamageCase{"FlacFrameHeaderByteFlipped", "clicks.flac", flipByteAt(middleFlacFrame)},
                    DamageCase{"FlacFrameCutOut", "clicks.flac", cutFlacFrame},
                    DamageCase{"VorbisIntact", "clicks.ogg", intact},
                    DamageCase{"VorbisByteFlipped", "clicks.ogg", flipByteAt(middle)},
                    DamageCase{"VorbisPageCutOut", "clicks.ogg", cutOggPage(0.5)},
                    DamageCase{"OpusIntact", "clicks.opus", intact},
                    DamageCase{"OpusByteFlipped", "clicks.opus", flipByteAt(middle)},
                    DamageCase{"OpusPageCutOut", "clicks.opus", cutOggPage(0.5)},
                    DamageCase{"AacIntact", "clicks.m4a", intact},
                    DamageCase{"AacByteFlipped", "clicks.m4a", flipByteAt(middle)},
                    DamageCase{"AacBytesZeroed", "clicks.m4a", zeroBytesInTheMiddle(200)}),
    [](const auto& info) { return std::string(info.param.name); });

// Two Vorbis streams one after the other: the track is both, and the second stream's
// clicks are heard at their frames after the first stream's end, read straight through
// or after a seek into the first stream, also where a page of the first was lost.
class FfmpegChainedOgg : public testing::TestWithParam<DamageCase> {};

TEST_P(FfmpegChainedOgg, PlaysBothStreamsToTheEnd)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    std::unique_ptr<Decoder> decoder = decoder_reading::openFixture(damagedCopy(folder, "chained.ogg", GetParam().damage));
    ASSERT_NE(decoder, nullptr);
    constexpr int kRate = 22050;
    constexpr std::int64_t kFirst = 4 * kRate;
    EXPECT_EQ(decoder->lengthFrames(), kFirst + 3 * kRate);
    for (const std::int64_t from : {0, kRate}) {
        SCOPED_TRACE(from);
        ASSERT_TRUE(decoder->seek(from).ok());
        const std::vector<float> heard = readLeft(*decoder);
        EXPECT_EQ(from + std::int64_t(heard.size()), decoder->lengthFrames());
        const std::vector<std::int64_t> onsets = clickOnsets(heard, from, kRate);
        const auto second = std::find_if(onsets.begin(), onsets.end(), [](std::int64_t onset) { return onset >= kFirst; });
        expectClicksAtTheirFrames({onsets.begin(), second}, {std::begin(kClickSeconds), std::end(kClickSeconds)}, 2.6, kRate);
        expectClicksAtTheirFrames({second, onsets.end()}, {0.3, 1.5, 2.7}, 0, kRate, kFirst);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FfmpegChainedOgg,
                         testing::Values(DamageCase{"Intact", "chained.ogg", intact},
                                         DamageCase{"PageOfTheFirstCutOut", "chained.ogg", cutOggPage(0.3)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShortStream {
    const char* file;
    std::int64_t length;
    std::vector<std::int64_t> clicks;  // frames where its clicks begin
};

void PrintTo(const ShortStream& stream, std::ostream* out)
{
    *out << stream.file;
}

// A stream of one page: its last block's padding goes past its end, and its first frame
// begins the track. Played alone, one after another, and after a seek.
class FfmpegOnePageStream : public testing::TestWithParam<ShortStream> {};

TEST_P(FfmpegOnePageStream, OpensWithItsLengthAndItsClicksInPlace)
{
    const ShortStream& stream = GetParam();
    std::unique_ptr<Decoder> decoder = open(stream.file);
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->lengthFrames(), stream.length);
    for (const std::int64_t from : {0, 1}) {
        ASSERT_TRUE(decoder->seek(from).ok());
        const std::vector<float> heard = readLeft(*decoder);
        EXPECT_EQ(from + std::int64_t(heard.size()), stream.length);
        const std::vector<std::int64_t> onsets = clickOnsets(heard, from, decoder->sampleRate());
        ASSERT_EQ(onsets.size(), stream.clicks.size()) << from;
        for (std::size_t i = 0; i < onsets.size(); ++i)
            EXPECT_NEAR(double(onsets[i]), double(stream.clicks[i]), double(kClickTolerance)) << from;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FfmpegOnePageStream,
                         testing::Values(ShortStream{"short.ogg", 2000, {807}}, ShortStream{"short.opus", 9600, {4807}},
                                         ShortStream{"short_chained.ogg", 4000, {807, 2807}}),
                         [](const testing::TestParamInfo<ShortStream>& info) {
                             std::string name = info.param.file;
                             return name.replace(name.find('.'), 1, "_");
                         });

TEST(FfmpegModule, MissingModuleIsNamedAndMp3StillOpens)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const ResultOf<FfmpegModuleEntry> module = loadFfmpegModule({empty.path()});
    EXPECT_FALSE(module.ok());
    EXPECT_TRUE(module.errorString().contains(empty.path())) << module.errorString().toStdString();
    EXPECT_TRUE(openDecoderFor(testDataPath(QStringLiteral("tone_xing.mp3"))).ok());
}

TEST(FfmpegModule, BytesOfNoFormatAreRefusedWithAReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("fake.flac"));
    writeTestFile(path, "fLaC but nothing after it");
    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    TrackOpenRecord info{};
    EXPECT_EQ(engine.vbmp3_open(path, info), 0);
    EXPECT_TRUE(engine.openErrorString().contains(path)) << engine.openErrorString().toStdString();
}

}  // namespace

}  // namespace lyricue
