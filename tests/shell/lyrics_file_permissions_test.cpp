// Saves and loads that the file system refuses. Permission bits do not bind root,
// so these run again as an unprivileged user (see tests/CMakeLists.txt).
#include "shell/lyrics_files_fixture.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace lyricue {

namespace {

QString str(const char16_t* text)
{
    return QStringView(text).toString();
}

class LyricsFilePermissions : public LyricsFilesFixture {
protected:
    void SetUp() override
    {
        if (geteuid() == 0)
            GTEST_SKIP() << "permission bits do not bind root; run as another user "
                            "(ctest runs these once more as uid 65534)";
        LyricsFilesFixture::SetUp();
        folder = path(QStringLiteral("songs"));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("songs")));
        lyrics = folder + QStringLiteral("/song.txt");
    }

    void TearDown() override
    {
        // QTemporaryDir must be able to remove what the test locked.
        if (!folder.isEmpty()) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::setPermissions(lyrics, QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    // Loads the file, stamps line 1 and returns the state the failed save must keep.
    SheetSnapshot loadAndStamp()
    {
        writeBytes(lyrics, kContent);
        loadThroughDialog(lyrics);
        EXPECT_EQ(document.LineCount(), 2);
        sheet.setCellAt(LineTagIndex(sheet, 1), QStringLiteral("[00:04:00]"));
        prompts.clearShown();
        engine.clearLog();
        return snapshot();
    }

    // Both save commands fail with a message naming the file, and change nothing.
    void expectBothSavesRefused(const SheetSnapshot& before)
    {
        SaveAndLoadLyrics(files);
        prompts.queueSaveAccept(lyrics);
        SaveLyrics(files);

        ASSERT_EQ(prompts.messages().size(), 2);
        for (const QString& message : prompts.messages()) {
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(lyrics))) << message.toStdString();
            EXPECT_FALSE(message.contains(str(u"しました"))) << message.toStdString();
        }
        EXPECT_TRUE(engine.log().empty());
        EXPECT_TRUE(snapshot() == before) << "the sheet or the state changed";
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(readBytes(lyrics), kContent);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("song.txt")});
    }

    const QByteArray kContent = "[00:01:00]a\r\nb\r\n";
    QString folder;
    QString lyrics;
};

TEST_F(LyricsFilePermissions, ReadOnlyLyricsFileIsNotReplaced)
{
    const SheetSnapshot before = loadAndStamp();
    ASSERT_TRUE(QFile::setPermissions(lyrics, QFile::ReadOwner));
    expectBothSavesRefused(before);
}

TEST_F(LyricsFilePermissions, FolderMadeReadOnlyAfterTheLoadKeepsTheFile)
{
    const SheetSnapshot before = loadAndStamp();
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    expectBothSavesRefused(before);
}

TEST_F(LyricsFilePermissions, UnreadableLyricsFileIsReportedAndNotOverwritten)
{
    writeBytes(lyrics, kContent);
    ASSERT_TRUE(QFile::setPermissions(lyrics, QFile::WriteOwner));
    files.SelectedPath = folder + QStringLiteral("/song.mp3");
    prompts.queueAnswer(AnswerYes);
    const SheetSnapshot before = snapshot();

    LoadLyrics(files);

    ASSERT_EQ(prompts.messages().size(), 1);
    const QString message = prompts.messages().front();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(lyrics))) << message.toStdString();
    EXPECT_TRUE(message.contains(str(u"アクセス権限がありません"))) << message.toStdString();
    EXPECT_TRUE(snapshot() == before) << "the sheet or the state changed";

    // The sheet has no file of its own: nothing writes over the unreadable one.
    SaveAndLoadLyrics(files);
    prompts.queueSaveCancel();
    SaveLyrics(files);
    EXPECT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(prompts.messages().back().contains(str(u"「歌詞保存」"))) << prompts.messages().back().toStdString();
    ASSERT_TRUE(QFile::setPermissions(lyrics, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(readBytes(lyrics), kContent);
}

}  // namespace

}  // namespace lyricue
