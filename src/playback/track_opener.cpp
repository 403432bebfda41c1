#include "playback/track_opener.h"

#include "audio/audio_engine.h"
#include "audio/audio_formats.h"
#include "text/record_text.h"

#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace lyricue {

namespace {

QString atLeastTwoDigits(std::int32_t value)
{
    return QString::number(value).rightJustified(2, u'0');
}

// "Time " + minutes + ":" + seconds + ":00".
QString totalTimeText(std::int32_t TrackSeconds)
{
    return QStringLiteral("Time ") + atLeastTwoDigits(TrackSeconds / 60) + u':' +
           atLeastTwoDigits(TrackSeconds % 60) + QStringLiteral(":00");
}

// The formats the FFmpeg module reads, whose title and artist come in the tag record; the
// extension after the last dot, compared case-sensitively as "mp3" is.
bool hasTaggedExtension(const QString& path)
{
    const AudioFormat* format = audioFormatOf(path, Qt::CaseSensitive);
    return format && format->decoder == FormatDecoder::Ffmpeg;
}

}  // namespace

Result OpenTrack(AudioEngine& engine, const QString& SelectedPath, const TrackControls& controls)
{
    engine.vbmp3_close();
    TrackOpenRecord info{};
    if (engine.vbmp3_open(SelectedPath, info) == 0)
        return Result::failure(engine.openErrorString());
    ShowTrackCaption(engine, SelectedPath, controls.window);

    // Full 32 bits, so that tracks past 32,767 s (about 9 hours) keep their length.
    // The engine never reports a negative length; one would count as 0.
    const std::int32_t TrackSeconds = std::max<std::int32_t>(info.lengthSeconds, 0);
    controls.timebar.setMaximum(TrackSeconds);
    controls.lbl_time2.setText(totalTimeText(TrackSeconds));
    return Result();
}

void ShowTrackCaption(AudioEngine& engine, const QString& SelectedPath, QWidget& window)
{
    TrackTagRecord tags{};
    TrackDetailRecord detail{};
    TrackTextRecord texts{};
    engine.vbmp3_getFileInfo2(SelectedPath, tags, detail, texts);

    const QString ending = SelectedPath.right(3);
    QString caption;
    // The texts are the file's bytes, read as UTF-8 or CP932 by the lyrics files' rule.
    using record_text::fileText;
    if (ending == QStringLiteral("mp3") || hasTaggedExtension(SelectedPath))
        caption = fileText(tags.artist) + QStringLiteral(" // ") + fileText(tags.title);
    else if (ending == QStringLiteral("rmp"))
        caption = fileText(texts.texts[1]) + QStringLiteral(" // ") + fileText(texts.texts[0]);
    else
        return;
    window.setWindowTitle(caption);
}

}  // namespace lyricue
