#pragma once

#include "audio/decoder.h"
#include "audio/decoder_factory.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace lyricue {

// Helpers for tests that drive a Decoder from openDecoderFor directly.
namespace decoder_reading {

inline std::unique_ptr<Decoder> openFixture(const QString& path)
{
    ResultOf<std::unique_ptr<Decoder>> opened = openDecoderFor(path);
    EXPECT_TRUE(opened.ok()) << path.toStdString() << ": " << opened.errorString().toStdString();
    return opened.ok() ? std::move(opened).value() : nullptr;
}

inline std::unique_ptr<Decoder> openFixture(const char* name)
{
    return openFixture(testDataPath(QString::fromUtf8(name)));
}

// Up to `frames` frames from the decoder's position on (all of them when negative), left
// channel only: the fixtures are mono.
inline std::vector<float> readLeft(Decoder& decoder, std::int64_t frames = -1)
{
    std::vector<float> left;
    std::vector<float> block(2 * 1000);
    while (frames < 0 || std::int64_t(left.size()) < frames) {
        const int wanted = frames < 0 ? 1000 : int(std::min<std::int64_t>(1000, frames - std::int64_t(left.size())));
        const int got = decoder.read(block.data(), wanted);
        for (int i = 0; i < got; ++i)
            left.push_back(block[std::size_t(i) * 2]);
        if (got < wanted)
            break;
    }
    return left;
}

}  // namespace decoder_reading

}  // namespace lyricue
