// A library loaded by name gives its functions, or a message that names what is missing
// and why, so that a user without SDL2, libpulse or a module is told what to install.
#include "audio/library_loader.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

struct LoadCase {
    const char* name;
    LibrarySearch search;
    bool loads;
    QStringList said;  // in the message when it does not load
};

void PrintTo(const LoadCase& load, std::ostream* out)
{
    *out << load.name;
}

class LibraryLoaderTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LibraryLoaderTest, LoadsOrSaysWhy)
{
    const LoadCase& load = GetParam();
    const ResultOf<LoadedLibrary> library = loadLibrary(load.search);
    ASSERT_EQ(library.ok(), load.loads) << library.errorString().toStdString();
    if (library.ok()) {
        for (const QByteArray& function : load.search.functions)
            EXPECT_NE(library->function<QFunctionPointer>(function), nullptr) << function.constData();
        return;
    }
    for (const QString& part : load.said)
        EXPECT_TRUE(library.errorString().contains(part)) << library.errorString().toStdString();
}

const QString kZlib = QStringLiteral("zlib");

INSTANTIATE_TEST_SUITE_P(
    Searches, LibraryLoaderTest,
    ::testing::Values(
        LoadCase{"VersionedName", {{{QStringLiteral("z"), 1}}, {}, {"crc32", "adler32"}, kZlib}, true, {}},
        LoadCase{"FirstNameMissingSecondLoads",
                 {{{QStringLiteral("lyricue_no_such_library")}, {QStringLiteral("z"), 1}}, {}, {"crc32"}, kZlib},
                 true,
                 {}},
        LoadCase{"NoSuchLibrary",
                 {{{QStringLiteral("lyricue_no_such_library"), 3}}, {}, {"crc32"}, kZlib},
                 false,
                 {kZlib, QStringLiteral("lyricue_no_such_library")}},
        LoadCase{"LacksAFunction",
                 {{{QStringLiteral("z"), 1}}, {}, {"crc32", "lyricue_no_such_function"}, kZlib},
                 false,
                 {kZlib, QStringLiteral("lyricue_no_such_function")}},
        LoadCase{"ModuleInNoFolder",
                 moduleSearch(QStringLiteral("lyricue_tags"), "lyricue_read_track_tags",
                              {QStringLiteral("/nonexistent/a"), QStringLiteral("/nonexistent/b")}, kZlib),
                 false,
                 {QStringLiteral("/nonexistent/a"), QStringLiteral("/nonexistent/b")}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace lyricue
