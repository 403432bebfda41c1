#include "audio/audio_engine.h"
#include "support/test_files.h"
#include "audio/tags/tag_module_entry.h"
#include "support/test_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace lyricue {

namespace {

// The folder this build puts the tag reader module in.
const QString BuiltModuleFolder = QStringLiteral(LYRICUE_TAG_MODULE_DIR);

TEST(TagModule, LoadsFromTheFirstFolderThatHoldsIt)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    testing::internal::CaptureStderr();
    const ResultOf<TagModuleEntry> entry = loadTagModule({empty.path(), BuiltModuleFolder});
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(entry.ok()) << entry.errorString().toStdString();
    EXPECT_EQ(said, "");

    TrackTagRecord tags;
    TrackTextRecord texts;
    std::memset(&tags, 0xAA, sizeof tags);
    const QString path = testDataPath(QStringLiteral("tagged_id3v1.mp3"));
    EXPECT_TRUE(entry.value()(&path, &tags, &texts));
    EXPECT_NE(tags.title[0], '\0');
}

// A missing module, or a library that is not the module, leaves the program
// without tags and says why, for each folder tried.
TEST(TagModule, SaysWhyWhenNoFolderHoldsIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QTemporaryDir impostorFolder;
    ASSERT_TRUE(impostorFolder.isValid());
    // A file of the module's name that is no library at all.
    writeTestFile(QDir(impostorFolder.path()).filePath(QStringLiteral("liblyricue_tags.so")), "not a library");

    const ResultOf<TagModuleEntry> entry = loadTagModule({folder.path(), impostorFolder.path()});
    ASSERT_FALSE(entry.ok());
    const QString said = entry.errorString();
    EXPECT_TRUE(said.contains(QStringLiteral("lyricue_tags"))) << said.toStdString();
    EXPECT_TRUE(said.contains(folder.path())) << said.toStdString();
    EXPECT_TRUE(said.contains(impostorFolder.path())) << said.toStdString();
}

}  // namespace

}  // namespace lyricue
