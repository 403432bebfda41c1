// The table of audio formats drives every road into the program alike: the open dialog's
// filters list each format, and a file of it, dropped on the window or named on the command
// line (both go to openGivenFile), opens as a track whatever the case of its extension.
#include "audio/audio_formats.h"
#include "shell/file_dialogs.h"
#include "shell/window_fixture.h"

#include <QDropEvent>
#include <QMimeData>

namespace lyricue {

namespace {

class AudioFormatsTest : public WindowTest {
protected:
    // The path the engine was asked to open, once `give` has handed `path` to the window.
    QString openedAfter(const std::function<void()>& give)
    {
        engine.clearLog();
        prompts.queueAnswer(AnswerCancel);  // the offer of the same-named lyrics
        give();
        const auto opened = engine.callsNamed("vbmp3_open");
        return opened.size() == 1 ? opened.front().path : QString();
    }

    void drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = window().rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &enter);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window(), &dropped);
        QCoreApplication::processEvents();  // the drop opens the file after it has ended
    }
};

TEST_F(AudioFormatsTest, EveryFormatIsInTheDialogFiltersAndOpensWhenDroppedOrGiven)
{
    // "MP File(…)|patterns|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*|音楽 File(…)|patterns"
    window().show();
    const QStringList entries = FileDialogFilter.split(u'|');
    ASSERT_EQ(entries.size(), 8);
    const QStringList mpgPatterns = entries[1].split(u';');
    const QStringList allPatterns = entries[7].split(u';');
    ASSERT_EQ(allPatterns.size(), qsizetype(kAudioFormats.size()));

    for (const AudioFormat& format : kAudioFormats) {
        const QString extension = QLatin1String(format.extension);
        SCOPED_TRACE(extension.toStdString());
        const QString pattern = QStringLiteral("*.") + extension;
        EXPECT_TRUE(allPatterns.contains(pattern));
        EXPECT_EQ(mpgPatterns.contains(pattern), format.decoder == FormatDecoder::Mpg123);
        for (const QString& typed : {extension, extension.toUpper()}) {
            const QString path = QStringLiteral("/music/song.") + typed;
            EXPECT_EQ(openedAfter([&] { drop(path); }), path);
            EXPECT_EQ(openedAfter([&] { window().openGivenFile(path); }), path);
        }
    }
}

}  // namespace

}  // namespace lyricue
