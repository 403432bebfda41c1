// LRC reader: any bytes, decoded as a file is, read as LRC; the sheet lines written
// back as LRC and read again give the same sheet and headers.
#include "text/ansi_text.h"
#include "fuzz_support.h"
#include "lyricsfile/lrc_format.h"
#include "text/time_tag.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

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
    fuzz::check(again.texts == lrc.texts, "texts come back");
    return 0;
}

