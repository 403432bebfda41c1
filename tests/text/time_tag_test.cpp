#include "text/time_tag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace lyricue {

namespace {

struct Shape {
    const char16_t* text;
    std::optional<qint64> ms;  // none: no time tag
};

// Every shape of time tag, once, with what the whole program takes it for.
constexpr Shape kShapes[] = {
    {u"[01:23]", 83'000},
    {u"[01:23:45]", 83'450},
    {u"[01:23.45]", 83'450},
    {u"[01:23.456]", 83'456},
    {u"[1:23.4]", 83'400},
    {u"[00:01.5]", 1'500},
    {u"[0:00]", 0},
    {u"[100:00:00]", 6'000'000},
    {u"[100:00.00]", 6'000'000},
    {u"[000000001:00]", 60'000},
    {u"[999999999:59.999]", time_tag::kLatestTagMs},
    {u"[1000000000:00]", std::nullopt},  // past the latest time
    {u"[01:60]", std::nullopt},          // seconds below 60
    {u"[01:5]", std::nullopt},           // seconds in two digits
    {u"[01:23:4]", std::nullopt},        // hundredths in two digits
    {u"[01:23:456]", std::nullopt},
    {u"[01:23.4567]", std::nullopt},
    {u"[01:23.]", std::nullopt},
    {u"[1:02:03:04]", std::nullopt},     // never hours
    {u"[:23]", std::nullopt},
    {u"[ 01:23]", std::nullopt},
    {u"[-01:23]", std::nullopt},
    {u"[01:23", std::nullopt},
    {u"[Intro]", std::nullopt},
    {u"[Chorus 1]", std::nullopt},
    {u"[ar:Name]", std::nullopt},
    {u"[０１:２３]", std::nullopt},      // full-width digits are text
    {u"[あいうえお]", std::nullopt},
    {u"", std::nullopt},
};

TEST(TimeTag, EveryShapeIsATimeOrText)
{
    for (const Shape& shape : kShapes) {
        const QString text = QString::fromUtf16(shape.text);
        EXPECT_EQ(time_tag::msOf(text), shape.ms) << text.toStdString();
        // At the start of a line, a tag is read up to its closing bracket and no further.
        const std::optional<time_tag::Tag> leading = time_tag::read(text + QStringLiteral("words]"));
        EXPECT_EQ(leading.has_value(), shape.ms.has_value()) << text.toStdString();
        if (leading) {
            EXPECT_EQ(leading->length, text.size()) << text.toStdString();
        }
    }
}

TEST(TimeTag, WordTagsUseTheSameShapesBetweenAngleBrackets)
{
    EXPECT_EQ(time_tag::read(u"<01:23.45>word", u'<', u'>')->ms, 83'450);
    EXPECT_FALSE(time_tag::read(u"<01:23.45]word", u'<', u'>'));
    EXPECT_FALSE(time_tag::read(u"[01:23.45]word", u'<', u'>'));
}

TEST(TimeTag, FormatsWhatItReadsBack)
{
    const struct {
        qint64 ms;
        char16_t separator;
        const char16_t* tag;
    } cases[] = {
        {0, u':', u"[00:00:00]"},
        {83'459, u':', u"[01:23:45]"},  // hundredths cut off, never rounded up
        {83'459, u'.', u"[01:23.45]"},
        {5'999'990, u':', u"[99:59:99]"},
        {6'000'000, u':', u"[100:00:00]"},
        {-5, u':', u"[00:00:00]"},
        {time_tag::kLatestTagMs + 1, u':', u"[999999999:59:99]"},
    };
    for (const auto& c : cases) {
        const QString tag = time_tag::format(c.ms, c.separator);
        EXPECT_EQ(tag, QString::fromUtf16(c.tag)) << c.ms;
        EXPECT_EQ(time_tag::msOf(tag), std::clamp<qint64>(c.ms, 0, time_tag::kLatestTagMs) / 10 * 10) << c.ms;
    }
    EXPECT_EQ(time_tag::format(83'450, u'.', u'<', u'>'), QStringLiteral("<01:23.45>"));
}

}  // namespace

}  // namespace lyricue
