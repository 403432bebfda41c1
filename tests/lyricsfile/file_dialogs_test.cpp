#include "lyricsfile/file_dialogs.h"
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
    ProgramState state;
    prompts.queueOpenAccept(kMusic);

    ShowOpenDialog(prompts, dialog, state);

    ASSERT_EQ(prompts.openDialogs().size(), 1u);
    const FileDialogSettings& shown = prompts.openDialogs().front();
    EXPECT_EQ(shown.filter, FileDialogFilter);
    EXPECT_EQ(shown.filterIndex, 3);
    EXPECT_EQ(shown.fileName, QString());
    EXPECT_EQ(shown.flags, 4096);
    EXPECT_TRUE(shown.cancelError);
}

struct OpenRoad {
    const char* name;
    bool confirm;
    QString selectedAfter;
    QString lyricsAfter;
};

class ShowOpenDialogRoads : public ::testing::TestWithParam<OpenRoad> {};

TEST_P(ShowOpenDialogRoads, LeaveTheChosenPathOrTheCancelMarker)
{
    ScriptedPrompts prompts;
    FileDialogSettings dialog;
    ProgramState state;
    state.SelectedPath = QStringLiteral("/music/before.mp3");
    state.LyricsPath = kLyrics;
    if (GetParam().confirm)
        prompts.queueOpenAccept(kMusic);
    else
        prompts.queueOpenCancel();

    ShowOpenDialog(prompts, dialog, state);

    EXPECT_EQ(state.SelectedPath, GetParam().selectedAfter);
    EXPECT_EQ(state.LyricsPath, GetParam().lyricsAfter);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, ShowOpenDialogRoads,
                         ::testing::Values(OpenRoad{"Confirmed", true, kMusic, kLyrics},
                                           OpenRoad{"Cancelled", false, ErrorCancel, kLyrics}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShowSaveDialog, ProposesTheLyricsFileWithTheLyricsFilterAndAsksBeforeReplacing)
{
    ScriptedPrompts prompts;
    FileDialogSettings dialog;
    ProgramState state;
    state.LyricsPath = kLyrics;
    prompts.queueOpenAccept(kMusic);
    ShowOpenDialog(prompts, dialog, state);
    prompts.queueSaveAccept(QStringLiteral("/music/other.txt"));

    EXPECT_TRUE(ShowSaveDialog(prompts, dialog, state));

    ASSERT_EQ(prompts.saveDialogs().size(), 1u);
    const FileDialogSettings& shown = prompts.saveDialogs().front();
    EXPECT_EQ(shown.fileName, kLyrics);
    EXPECT_EQ(shown.filterIndex, 2);
    EXPECT_EQ(shown.filter, FileDialogFilter);  // kept from the open dialog
    EXPECT_EQ(shown.flags, 2);
    EXPECT_TRUE(shown.cancelError);
    // Confirming stores nothing: the caller reads the chosen name from the dialog.
    EXPECT_EQ(dialog.fileName, QStringLiteral("/music/other.txt"));
    EXPECT_EQ(state.LyricsPath, kLyrics);
    EXPECT_EQ(state.SelectedPath, kMusic);
}

TEST(ShowSaveDialog, CancelMarksSelectedPathAndKeepsLyricsPath)
{
    ScriptedPrompts prompts;
    FileDialogSettings dialog;
    ProgramState state;
    state.SelectedPath = kMusic;
    state.LyricsPath = kLyrics;
    prompts.queueSaveCancel();

    EXPECT_FALSE(ShowSaveDialog(prompts, dialog, state));

    EXPECT_EQ(state.SelectedPath, ErrorCancel);
    EXPECT_EQ(state.LyricsPath, kLyrics);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

}  // namespace

}  // namespace lyricue
