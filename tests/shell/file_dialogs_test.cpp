#include "shell/file_dialogs.h"
#include "document/lyrics_document.h"
#include "shell/lyrics_files.h"
#include "lyricsfile/lyricsfile_printers.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

namespace lyricue {

namespace {

const QString kMusic = QStringLiteral("/music/song.mp3");
const QString kLyrics = QStringLiteral("/music/song.txt");

TEST(FileDialogFilterText, ListsMusicLyricsAllFilesThenEveryPlayableFileInThatOrder)
{
    EXPECT_EQ(FileDialogFilter,
              QStringLiteral("MP File(*.mp3,*.rmp)|*.mp3;*.rmp|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*"
                             "|音楽 File(*.mp3,*.rmp,*.flac,*.ogg,*.oga,*.opus,*.m4a,*.mp4,*.wav)"
                             "|*.mp3;*.rmp;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4;*.wav"));
}

TEST(ShowOpenDialog, ShowsExistingFilesOnlyWithTheFilterListAndNoName)
{
    ScriptedPrompts prompts;
    FileDialogSettings dialog;
    dialog.filterIndex = 3;  // the caller's choice
    dialog.fileName = QStringLiteral("/old/name.txt");
    prompts.queueOpenAccept(kMusic);

    (void)ShowOpenDialog(prompts, dialog);

    ASSERT_EQ(prompts.openDialogs().size(), 1u);
    const FileDialogSettings& shown = prompts.openDialogs().front();
    EXPECT_EQ(shown.filter, FileDialogFilter);
    EXPECT_EQ(shown.filterIndex, 3);
    EXPECT_EQ(shown.fileName, QString());
    EXPECT_EQ(shown.flags, 4096);
    EXPECT_TRUE(shown.cancelError);
}

struct DialogRoad {
    const char* name;
    bool confirm;
    QString answer;
};

class FileDialogRoads : public ::testing::TestWithParam<DialogRoad> {};

// A dialog's answer is the chosen path or the cancel marker, and it touches no lines.
TEST_P(FileDialogRoads, AnswerTheChosenPathOrTheCancelMarker)
{
    for (const bool save : {false, true}) {
        ScriptedPrompts prompts;
        FileDialogSettings dialog;
        LyricsDocument document;
        document.setLyricsPath(kLyrics);
        if (GetParam().confirm)
            save ? prompts.queueSaveAccept(kMusic) : prompts.queueOpenAccept(kMusic);
        else
            save ? prompts.queueSaveCancel() : prompts.queueOpenCancel();

        const QString answer = save ? ShowSaveDialog(prompts, dialog, document) : ShowOpenDialog(prompts, dialog);

        EXPECT_EQ(answer, GetParam().answer) << (save ? "save" : "open");
        EXPECT_EQ(document.LyricsPath(), kLyrics);
        EXPECT_TRUE(prompts.messages().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, FileDialogRoads,
                         ::testing::Values(DialogRoad{"Confirmed", true, kMusic},
                                           DialogRoad{"Cancelled", false, ErrorCancel}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowSaveDialog, ProposesTheLyricsFileWithTheLyricsFilterAndAsksBeforeReplacing)
{
    ScriptedPrompts prompts;
    FileDialogSettings dialog;
    LyricsDocument document;
    document.setLyricsPath(kLyrics);
    prompts.queueOpenAccept(kMusic);
    (void)ShowOpenDialog(prompts, dialog);
    prompts.queueSaveAccept(QStringLiteral("/music/other.txt"));

    EXPECT_EQ(ShowSaveDialog(prompts, dialog, document), QStringLiteral("/music/other.txt"));

    ASSERT_EQ(prompts.saveDialogs().size(), 1u);
    const FileDialogSettings& shown = prompts.saveDialogs().front();
    EXPECT_EQ(shown.fileName, kLyrics);
    EXPECT_EQ(shown.filterIndex, 2);
    EXPECT_EQ(shown.filter, FileDialogFilter);  // kept from the open dialog
    EXPECT_EQ(shown.flags, 2);
    EXPECT_TRUE(shown.cancelError);
    // Confirming changes no lines: the caller decides what the chosen name becomes.
    EXPECT_EQ(document.LyricsPath(), kLyrics);
}

}  // namespace

}  // namespace lyricue
