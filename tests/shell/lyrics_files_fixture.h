#pragma once

#include "text/ansi_text.h"
#include "document/lyrics_document.h"
#include "shell/lyrics_files.h"
#include "shell/lyrics_loader.h"
#include "sheet/lyrics_sheet.h"
#include "lyricsfile/lyricsfile_printers.h"
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "sheet/sheet_shaping.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace lyricue {

// The CP932 bytes of a text that CP932 can hold.
inline QByteArray cp932(const QString& text)
{
    const EncodeResult encoded = encodeCp932(text);
    EXPECT_TRUE(encoded.ok()) << encoded.error.toStdString();
    return encoded.bytes;
}

// Everything a sheet shows and the state that travels with it, for before/after checks.
struct SheetSnapshot {
    int rows = 0;
    int currentRow = 0;
    QStringList cells;
    std::int16_t lineCount = 0;
    int stampRow = 0;
    QString lyricsPath;
    QString selectedPath;
    bool operator==(const SheetSnapshot&) const = default;
};

// A start-up sheet, the state, a recording engine and scripted prompts wired
// together as the window wires them, over a temporary folder for real files.
class LyricsFilesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        shapeSheetAtStartUp(sheet);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    static void writeBytes(const QString& path, const QByteArray& bytes) { writeTestFile(path, bytes); }
    static QByteArray readBytes(const QString& path) { return readTestFile(path); }

    // "歌詞読込": no question, the open dialog chooses `lyricsPath`.
    void loadThroughDialog(const QString& lyricsPath)
    {
        files.SelectedPath = QString();
        prompts.queueOpenAccept(lyricsPath);
        LoadLyrics(files);
    }

    // Writes `bytes` to a new file in the folder and loads it through the dialog.
    QString loadBytes(const QByteArray& bytes, const QString& name = QStringLiteral("lyrics.txt"))
    {
        const QString file = path(name);
        writeBytes(file, bytes);
        loadThroughDialog(file);
        return file;
    }

    QStringList column(int column) const
    {
        QStringList cells;
        for (int row = 1; row < sheet.rows(); ++row)
            cells << CellText(sheet, row, column);
        return cells;
    }

    SheetSnapshot snapshot() const
    {
        SheetSnapshot shot{sheet.rows(), sheet.row(), {}, document.LineCount(), document.StampRow(),
                           document.LyricsPath(), files.SelectedPath};
        for (int index = 0; index < sheet.rows() * sheet.cols(); ++index)
            shot.cells << sheet.cellAt(index);
        return shot;
    }

    QTemporaryDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
    LyricsSheet sheet;
    LyricsDocument& document = sheet.document();
    FileDialogSettings dialog;
    LyricsFiles files{engine, prompts, document, dialog, QString()};
};

}  // namespace lyricue
