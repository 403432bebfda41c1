#include "document/lyrics_document.h"
#include "document/program_state.h"
#include "lyricsfile/lyrics_loader.h"
#include "lyricsfile/lyrics_saver.h"
#include "recording_engine.h"
#include "scripted_prompts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// The loader and the savers over a bare document, with no widget anywhere.
class LyricsFilesOverDocument : public ::testing::Test {
protected:
    QString write(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    void load(const QString& path)
    {
        state.SelectedPath.clear();
        prompts.queueOpenAccept(path);
        LoadLyrics(files);
    }

    QTemporaryDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
    ProgramState state;
    LyricsDocument document;
    FileDialogSettings dialog;
    LyricsFiles files{engine, prompts, state, document, dialog};
};

TEST_F(LyricsFilesOverDocument, UndoingALoadBringsBackTheLinesTheirFileAndEncoding)
{
    const QString first = write("first.txt", QByteArray("[00:01:00]\x82\xa0\r\nplain\r\n"));  // CP932 "あ"
    const QString second = write("second.txt", QByteArray("\xef\xbb\xbf[00:09:00]utf\r\n"));
    load(first);
    state.StampRow = 1;
    load(second);
    EXPECT_EQ(document.line(0).text, QStringLiteral("utf"));
    EXPECT_EQ(document.encoding(), TextEncoding::Utf8WithBom);
    EXPECT_EQ(state.StampRow, 0);

    document.undoStack().undo();
    EXPECT_EQ(document.lineCount(), 2);
    EXPECT_EQ(document.line(0), (LyricLine{QStringLiteral("[00:01:00]"), QStringLiteral("あ")}));
    EXPECT_EQ(document.line(1), (LyricLine{QString(), QStringLiteral("plain")}));
    EXPECT_EQ(document.encoding(), TextEncoding::Cp932);
    EXPECT_EQ(document.sourcePath(), first);
    EXPECT_EQ(state.LyricsPath, first);
    EXPECT_EQ(state.StampRow, 1);

    // "再読込" now writes the first file, in its own encoding, untouched by the second.
    SaveAndLoadLyrics(files);
    QFile written(first);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("[00:01:00]\x82\xa0\r\nplain\r\n"));
    EXPECT_EQ(document.undoStack().count(), 2);  // saving keeps the history

    document.undoStack().redo();
    EXPECT_EQ(state.LyricsPath, second);
    EXPECT_EQ(document.line(0).tag, QStringLiteral("[00:09:00]"));
}

TEST_F(LyricsFilesOverDocument, AFailedLoadLeavesNoStep)
{
    load(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(document.undoStack().count(), 0);
    EXPECT_EQ(prompts.messages().size(), 1);
}

}  // namespace
