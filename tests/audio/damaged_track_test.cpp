// Damaged MP3 files, made from the fixtures: cut anywhere, junk between frames, a bad
// first frame, an ID3 tag in mid-stream. Each opens with the length of what decodes and
// plays to its end; the frames before the damage are the intact file's.
#include "audio/playback_engine.h"
#include "support/test_files.h"
#include "audio/mpeg_frame_header.h"

#include "audio/engine_render.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <random>

namespace lyricue {

using namespace engine_render;

namespace {

constexpr int kRate = 44100;

QByteArray fixture(const char* name)
{
    QFile file(testDataPath(QString::fromUtf8(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Offset of the `n`-th MPEG frame of a stream without tags, walking frame by frame.
qsizetype frameAt(const QByteArray& bytes, int n)
{
    qsizetype at = 0;
    for (int i = 0; i < n; ++i)
        at += MpegFrameHeader::parse(reinterpret_cast<const unsigned char*>(bytes.constData() + at))->frameBytes();
    return at;
}

QByteArray randomBytes(int count)
{
    std::mt19937 generator(20240611);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

struct DamageCase {
    const char* name;
    const char* fixture;
    std::function<QByteArray(const QByteArray&)> damage;
    // Frames decoded before the damage, which sound as in the intact file.
    std::int64_t intactFrames;
};

void PrintTo(const DamageCase& damage, std::ostream* out)
{
    *out << damage.name;
}

std::function<QByteArray(const QByteArray&)> cutAt(double share)
{
    return [share](const QByteArray& bytes) { return bytes.first(qsizetype(double(bytes.size()) * share)); };
}

std::function<QByteArray(const QByteArray&)> insertAtFrame(int frame, QByteArray inserted)
{
    return [frame, inserted](const QByteArray& bytes) {
        QByteArray damaged = bytes;
        return damaged.insert(frameAt(bytes, frame), inserted);
    };
}

class DamagedTrackTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedTrackTest, OpensWithTheLengthThatDecodesAndPlaysToItsEnd)
{
    const DamageCase& damage = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("damaged.mp3"));
    {
        writeTestFile(path, damage.damage(fixture(damage.fixture)));
    }
    PlaybackEngine intact(PlaybackEngine::Output::Manual);
    useExactOutput(intact);
    TrackOpenRecord info;
    ASSERT_EQ(intact.vbmp3_open(testDataPath(QString::fromUtf8(damage.fixture)), info), 1);
    intact.vbmp3_play();
    const std::vector<float> whole = renderToEnd(intact).samples;

    PlaybackEngine engine(PlaybackEngine::Output::Manual);
    useExactOutput(engine);
    ASSERT_EQ(engine.vbmp3_open(path, info), 1);
    TrackTagRecord tags;
    TrackDetailRecord detail;
    TrackTextRecord texts;
    ASSERT_EQ(engine.vbmp3_getFileInfo2(path, tags, detail, texts), 1);
    ASSERT_EQ(engine.vbmp3_play(), 1);
    const Rendered played = renderToEnd(engine);

    EXPECT_GT(played.returned, damage.intactFrames);
    EXPECT_EQ(info.lengthSeconds, played.returned / kRate);
    EXPECT_EQ(detail.lengthMs, played.returned * 1000 / kRate);
    std::int32_t seconds = -1;
    EXPECT_EQ(engine.vbmp3_getState(seconds), EngineStopped);
    EXPECT_EQ(seconds, 0);
    const std::vector<float> before(played.samples.begin(), played.samples.begin() + 2 * damage.intactFrames);
    EXPECT_LT(largestDifference(before, whole, 0), 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedTrackTest,
    ::testing::Values(
        DamageCase{"XingCutAtATenth", "tone_xing.mp3", cutAt(0.1), 9000},
        DamageCase{"XingCutInHalf", "tone_xing.mp3", cutAt(0.5), 60000},
        DamageCase{"XingCutNearItsEnd", "tone_xing.mp3", cutAt(0.97), 120000},
        DamageCase{"PlainCutAtAThird", "tone_noxing.mp3", cutAt(1.0 / 3), 40000},
        DamageCase{"PlainCutTwoBytesIntoAHeader", "tone_noxing.mp3",
                   [](const QByteArray& bytes) { return bytes.first(frameAt(bytes, 50) + 2); }, 50000},
        DamageCase{"RmpCutInHalf", "tone.rmp", cutAt(0.5), 60000},
        DamageCase{"RandomJunkBetweenFrames", "tone_noxing.mp3", insertAtFrame(60, randomBytes(417)), 60000},
        DamageCase{"LongJunkBetweenFrames", "tone_xing.mp3", insertAtFrame(60, randomBytes(5000)), 60000},
        DamageCase{"ZerosBetweenFrames", "tone_noxing.mp3", insertAtFrame(30, QByteArray(3000, '\0')), 30000},
        DamageCase{"Id3TagInMidStream", "tone_noxing.mp3",
                   insertAtFrame(60, QByteArray("ID3\x03\0\0\0\0\x02\0", 10) + QByteArray(256, 'x')), 60000},
        DamageCase{"BadFirstFrameHeader", "tone_noxing.mp3",
                   [](const QByteArray& bytes) { return QByteArray(4, '\0') + bytes.mid(4); }, 0},
        DamageCase{"NoiseInTheFirstFrame", "tone_noxing.mp3",
                   [](const QByteArray& bytes) {
                       return bytes.first(4) + randomBytes(int(frameAt(bytes, 1)) - 4) + bytes.mid(frameAt(bytes, 1));
                   },
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
