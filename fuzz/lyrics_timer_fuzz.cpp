// Engine's lyrics timer: a lyrics file and play positions (taken from the input's last bytes) to the five lines shown.
#include "audio/lyrics_timer.h"
#include "audio/audio_engine.h"
#include "fuzz_support.h"
#include "text/record_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace lyricue {

namespace {

constexpr std::size_t kLineBytes = sizeof(LyricsLinesRecord::lines[0]);

// Each field is text up to a NUL, zeros after it, and no lead byte without its trail.
void checkRecord(const LyricsLinesRecord& record)
{
    fuzz::check(record.reserved == 0, "the reserved word is zero");
    for (const auto& field : record.lines) {
        const QByteArray text = record_text::bytes(field);
        fuzz::check(static_cast<std::size_t>(text.size()) < kLineBytes, "a line ends in its field");
        for (std::size_t i = static_cast<std::size_t>(text.size()); i < kLineBytes; ++i)
            fuzz::check(field[i] == 0, "a field is zero after its text");
        fuzz::check(record_text::fittingLength(text, kLineBytes - 1) == static_cast<std::size_t>(text.size()),
                    "a line is cut on a character boundary");
    }
}

bool isEmpty(const char (&field)[kLineBytes])
{
    return field[0] == 0;
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchFile file("lyrics.txt");
    FuzzedDataProvider input(data, size);
    // Positions come from the end, so a plain lyrics file as input keeps its head.
    std::vector<std::int64_t> positions;
    const int count = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < count; ++i)
        positions.push_back(input.ConsumeIntegralInRange<std::int64_t>(-1000, 10 * 60 * 1000));
    if (input.remaining_bytes() > 0)
        positions.push_back(input.ConsumeIntegral<std::int64_t>());
    const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();
    if (!file.write(bytes.data(), bytes.size()))
        return 0;

    LyricsTimer timer;
    fuzz::check(timer.load(file.path()).ok(), "a readable file loads");

    LyricsLinesRecord record;
    for (const std::int64_t position : positions) {
        timer.linesAt(position, record);
        checkRecord(record);
        LyricsLinesRecord again;
        timer.linesAt(position, again);
        fuzz::check(std::memcmp(&record, &again, sizeof record) == 0, "the same position gives the same lines");
    }

    // Times are never negative: before 0 nothing is current or past.
    timer.linesAt(-1, record);
    checkRecord(record);
    fuzz::check(isEmpty(record.lines[2]) && isEmpty(record.lines[3]) && isEmpty(record.lines[4]),
                "before the start no line is current or past");
    // After the last time nothing is still to come.
    timer.linesAt(std::numeric_limits<std::int64_t>::max(), record);
    checkRecord(record);
    fuzz::check(isEmpty(record.lines[0]) && isEmpty(record.lines[1]), "after the end no line is to come");

    // Cleared, the timer shows nothing at any position.
    timer.clear();
    for (const std::int64_t position : {std::int64_t{-1}, std::int64_t{0}, std::numeric_limits<std::int64_t>::max()}) {
        timer.linesAt(position, record);
        const LyricsLinesRecord zero{};
        fuzz::check(std::memcmp(&record, &zero, sizeof record) == 0, "a cleared timer shows no lines");
    }
    return 0;
}

