// LRC reader: any bytes, decoded as a file is, read as LRC; the sheet lines written
// back as LRC and read again give the same sheet and headers.
#include "text/ansi_text.h"
#include "fuzz_support.h"
#include "lyricsfile/lrc_format.h"
#include "text/time_tag.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace lyricue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const LrcLyrics lrc = parseLrc(decodeDetected(bytes).text);
    fuzz::check(lrc.tags.size() == lrc.texts.size(), "a tag for every sheet line");

    QString written;
    for (const QString& header : lrc.headers)
        written += header + u'\n';
    QString line;
    for (qsizetype i = 0; i < lrc.tags.size(); ++i) {
        const QString& tag = lrc.tags[i];
        fuzz::check(tag.isEmpty() || time_tag::msOf(tag).has_value(), "a sheet tag is empty or a time");
        fuzz::check(!lrc.texts[i].contains(u'\n') && !lrc.texts[i].contains(u'\r'), "a text holds no line end");
        lrcLineOf(tag, lrc.texts[i], line);
        written += line + u'\n';
    }
    const LrcLyrics again = parseLrc(written);
    fuzz::check(again.headers == lrc.headers, "headers come back");
    fuzz::check(again.tags == lrc.tags, "times come back to the hundredth");
    // A text timed word by word comes back in the stamped form of its times and without
    // the "|" of segments that have none; written once more, it is what it was.
    const bool wordTimes = std::any_of(lrc.texts.begin(), lrc.texts.end(),
                                       [](const QString& text) { return text.contains(u'|') || text.contains(u'['); });
    fuzz::check(wordTimes || again.texts == lrc.texts, "texts come back");
    QString writtenAgain;
    for (const QString& header : again.headers)
        writtenAgain += header + u'\n';
    for (qsizetype i = 0; i < again.tags.size(); ++i) {
        lrcLineOf(again.tags[i], again.texts[i], line);
        writtenAgain += line + u'\n';
    }
    fuzz::check(writtenAgain == written, "written again, the file is the same");
    return 0;
}

