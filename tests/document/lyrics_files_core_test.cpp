#include "document/lyrics_document.h"
#include "support/test_files.h"
#include "shell/lyrics_loader.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_files.h"
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace lyricue {

namespace {

// The loader and the savers over a bare document, with no widget anywhere.
class LyricsFilesOverDocument : public ::testing::Test {
protected:
    QString write(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1String(name));
        writeTestFile(path, bytes);
        return path;
    }

    void load(const QString& path)
    {
        files.SelectedPath = QString();
        prompts.queueOpenAccept(path);
        LoadLyrics(files);
    }

    QTemporaryDir dir;
    RecordingEngine engine;
    ScriptedPrompts prompts;
    LyricsDocument document;
    FileDialogSettings dialog;
    LyricsFiles files{engine, prompts, document, dialog, QString()};
};

TEST_F(LyricsFilesOverDocument, UndoingALoadBringsBackTheLinesTheirFileAndEncoding)
{
    const QString first = write("first.txt", QByteArray("[00:01:00]\x82\xa0\r\nplain\r\n"));  // CP932 "あ"
    const QString second = write("second.txt", QByteArray("\xef\xbb\xbf[00:09:00]utf\r\n"));
    load(first);
    document.setStampRow(1);
    load(second);
    EXPECT_EQ(document.line(0).text, QStringLiteral("utf"));
    EXPECT_EQ(document.encoding(), TextEncoding::Utf8WithBom);
    EXPECT_EQ(document.StampRow(), 0);

    document.undoStack().undo();
    EXPECT_EQ(document.LineCount(), 2);
    EXPECT_EQ(document.line(0), (LyricLine{QStringLiteral("[00:01:00]"), QStringLiteral("あ")}));
    EXPECT_EQ(document.line(1), (LyricLine{QString(), QStringLiteral("plain")}));
    EXPECT_EQ(document.encoding(), TextEncoding::Cp932);
    EXPECT_EQ(document.sourcePath(), first);
    EXPECT_EQ(document.LyricsPath(), first);
    EXPECT_EQ(document.StampRow(), 1);

    // "再読込" now writes the first file, in its own encoding, untouched by the second.
    SaveAndLoadLyrics(files);
    QFile written(first);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("[00:01:00]\x82\xa0\r\nplain\r\n"));
    EXPECT_TRUE(document.undoStack().canRedo());  // saving keeps the history

    document.undoStack().redo();
    EXPECT_EQ(document.LyricsPath(), second);
    EXPECT_EQ(document.line(0).tag, QStringLiteral("[00:09:00]"));
}

TEST_F(LyricsFilesOverDocument, AFailedLoadLeavesNoStep)
{
    load(dir.filePath(QStringLiteral("missing.txt")));
    EXPECT_EQ(document.undoStack().count(), 0);
    EXPECT_EQ(prompts.messages().size(), 1);
}

// The UTF-16 bytes of `units`, mark first.
QByteArray utf16(std::initializer_list<char16_t> units, bool bigEndian)
{
    QByteArray bytes;
    const auto append = [&](char16_t unit) {
        const char high = char(unit >> 8);
        const char low = char(unit & 0xff);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
    };
    append(u'\xfeff');
    for (const char16_t unit : units)
        append(unit);
    return bytes;
}

// Bytes in, document, bytes out: a file saved with nothing changed comes back byte for byte.
TEST(LyricsBytesOverDocument, SaveWhatALoadGaveAndTheBytesComeBackUnchanged)
{
    const std::initializer_list<char16_t> tagged = {u'[', u'0', u'0', u':', u'0', u'1', u':', u'0', u'0', u']',
                                                    u'\x3042', u'\r', u'\n', 0xd800, u'\r', u'\n'};
    const QByteArray files[] = {
        QByteArray("[00:01:00]\x82\xa0\x82\xa2\r\n\xff\x81\r\nplain\r\n"),          // CP932, a broken pair
        QByteArray("\xef\xbb\xbf[00:09:00]caf\xc3\xa9\r\n\xe3\x81\x82\x80\r\n"),  // UTF-8 with mark, a stray byte
        utf16(tagged, false),                                                              // a lone surrogate
        utf16(tagged, true),
    };
    for (const QByteArray& bytes : files) {
        ResultOf<LyricsContent> content = lyricsContentOfBytes(bytes, QStringLiteral("song.txt"));
        ASSERT_TRUE(content.ok()) << content.errorString().toStdString();
        LyricsDocument document;
        content->lyricsPath = QStringLiteral("song.txt");
        replaceLyrics(document, std::move(content).value(), QStringLiteral("load"));
        const ResultOf<QByteArray> saved = lyricsFileBytes(document);
        ASSERT_TRUE(saved.ok()) << saved.errorString().toStdString();
        EXPECT_EQ(saved.value(), bytes) << bytes.toHex(' ').toStdString();
    }
}

TEST(LyricsBytesOverDocument, MoreLinesThanTheSheetHoldsAreRefusedNamingTheFile)
{
    const ResultOf<LyricsContent> content = lyricsContentOfBytes(QByteArray(32767 * 3, 'a').replace("aaa", "a\r\n"),
                                                                 QStringLiteral("/tmp/long.txt"));
    ASSERT_FALSE(content.ok());
    EXPECT_TRUE(content.errorString().contains(QStringLiteral("long.txt"))) << content.errorString().toStdString();
}

}  // namespace

}  // namespace lyricue
