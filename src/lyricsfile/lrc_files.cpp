#include "lyricsfile/lrc_files.h"

#include "lyricsfile/lrc_format.h"
#include "lyricsfile/sheet_filling.h"
#include "text/ansi_text.h"
#include "text/byte_escape.h"
#include "text/encode_error.h"
#include "text/record_text.h"
#include "base/shell_paths.h"

#include <QDir>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lyricue {

const QString LrcDialogFilter = QStringLiteral("LRC File(*.lrc)|*.lrc|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*");

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The index of the first surrogate in `text` that is no half of a pair, or -1.
qsizetype firstLoneSurrogate(QStringView text)
{
    const char16_t* const units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Four units at a time while none is a surrogate (D800..DFFF): a lane of
        // (unit & F800) ^ D800 is zero only for one, found by the has-zero test.
        while (i + 4 <= size) {
            std::uint64_t four = 0;
            std::memcpy(&four, units + i, 8);
            const std::uint64_t lanes = (four & 0xF800F800F800F800ULL) ^ 0xD800D800D800D800ULL;
            if (((lanes - 0x0001000100010001ULL) & ~lanes & 0x8000800080008000ULL) != 0)
                break;
            i += 4;
        }
        if (i >= size)
            break;
        if (!QChar::isSurrogate(units[i]))
            continue;
        if (QChar::isHighSurrogate(units[i]) && i + 1 < size && QChar::isLowSurrogate(units[i + 1]))
            ++i;
        else
            return i;
    }
    return -1;
}

struct LrcFileContent {
    LrcLyrics lyrics;
    TextEncoding encoding;
};

ResultOf<LrcFileContent> readLrcFile(const QString& path)
{
    const ResultOf<DecodedText> content = readText(path);
    if (!content.ok())
        return Result::failure(content.errorString());
    LrcFileContent lrc{parseLrc(content->text), content->encoding};
    if (lrc.lyrics.texts.isEmpty())
        return Result::failure(QStringLiteral("「%1」には歌詞の行がありません").arg(shownPath(path)));
    if (const Result fits = checkLineCount(path, lrc.lyrics.texts.size()); !fits.ok())
        return fits;
    return lrc;
}

// A record's text field decoded as the caption reads it (UTF-8 or CP932); empty when it
// holds a byte that is no text, which has no place in a UTF-8 header.
template <std::size_t N>
QString headerText(const char (&field)[N])
{
    const QString text = record_text::fileText(field);
    return byte_escape::firstIn(text) < 0 ? text : QString();
}

// The headers the engine's report on the track gives; none when it knows no track.
QStringList trackHeaders(AudioEngine& engine, const QString& trackPath)
{
    if (trackPath.isEmpty())
        return {};
    TrackTagRecord tags{};
    TrackDetailRecord detail{};
    TrackTextRecord texts{};
    if (engine.vbmp3_getFileInfo2(trackPath, tags, detail, texts) == 0)
        return {};
    // ID3 tags, else the RIFF texts of an RMP file (title, artist, product).
    const auto either = [](const QString& tag, const QString& riff) { return tag.isEmpty() ? riff : tag; };
    return lrcTrackHeaders(either(headerText(tags.title), headerText(texts.texts[0])),
                           either(headerText(tags.artist), headerText(texts.texts[1])),
                           either(headerText(tags.album), headerText(texts.texts[2])), detail.lengthMs);
}

}  // namespace

void ImportLrc(LyricsFiles& files, FileDialogSettings& dialog)
{
    dialog.cancelError = true;
    dialog.flags = FileDialogSettings::FileMustExist;
    dialog.filter = LrcDialogFilter;
    dialog.filterIndex = 1;
    dialog.fileName.clear();
    if (!files.prompts.showOpenDialog(dialog))
        return;
    const QString lrcPath = dialog.fileName;
    ResultOf<LrcFileContent> content = readLrcFile(lrcPath);
    if (!content.ok()) {
        files.prompts.showMessage(content.errorString());
        return;
    }
    ProgramState& state = files.state;
    LrcLyrics& lyrics = content->lyrics;
    LyricsContent imported = lyricsContentOf(std::move(lyrics.tags), std::move(lyrics.texts));
    imported.lrcHeaders = std::move(lyrics.headers);
    imported.encoding = content->encoding;
    replaceLyrics(files.document, state, std::move(imported), ChangeExtension(lrcPath, QStringLiteral(".txt")),
                  QStringLiteral("LRC 読込"));
    state.SelectedPath = lrcPath;
}

void ExportLrc(LyricsFiles& files, FileDialogSettings& dialog)
{
    const ProgramState& state = files.state;
    const QString& nameFrom = state.TrackPath.isEmpty() ? state.LyricsPath : state.TrackPath;
    dialog.cancelError = true;
    dialog.flags = FileDialogSettings::OverwritePrompt;
    dialog.filter = LrcDialogFilter;
    dialog.filterIndex = 1;
    dialog.fileName = nameFrom.isEmpty() ? QString() : ChangeExtension(nameFrom, QStringLiteral(".lrc"));
    if (!files.prompts.showSaveDialog(dialog))
        return;
    const QStringList headers =
        files.document.lrcHeaders().isEmpty() ? trackHeaders(files.engine, state.TrackPath) : files.document.lrcHeaders();
    const Result written = WriteLrcFile(dialog.fileName, headers, files.document);
    files.prompts.showMessage(written.ok() ? dialog.fileName + QStringLiteral("を書き出しました")
                                           : written.errorString());
}

Result WriteLrcFile(const QString& path, const QStringList& headers, const LyricsDocument& document)
{
    const int lineCount = std::max(std::min<int>(document.lineCount(), document.lineRows()), 0);
    // A byte that was no text in its file is carried as a lone surrogate, which the
    // sheet shows as the replacement character; written as it came it would make the
    // file invalid UTF-8. Neither is the text shown, so the export is refused, also
    // for a UTF-8 file with a damaged byte and for headers kept from an import.
    const auto refused = [&path](const QString& line, const QString& text, qsizetype at) {
        return Result::failure(QStringLiteral("「%1」に書き出せません: %2: %3")
                                   .arg(shownPath(path), line,
                                        unencodableMessage(text, at, encodingName(TextEncoding::Utf8))));
    };
    for (qsizetype index = 0; index < headers.size(); ++index) {
        if (const qsizetype at = firstLoneSurrogate(headers[index]); at >= 0)
            return refused(QStringLiteral("ヘッダー %1 行目").arg(index + 1), headers[index], at);
    }
    for (int line = 0; line < lineCount; ++line) {
        for (const QString* cell : {&document.line(line).tag, &document.line(line).text}) {
            if (const qsizetype at = firstLoneSurrogate(*cell); at >= 0)
                return refused(QStringLiteral("%1 行目").arg(line + 1), *cell, at);
        }
    }
    const qsizetype headerCount = headers.size();
    const auto lineAt = [&](qsizetype index, QString& scratch) {
        if (index < headerCount)
            return QStringView(headers[index]);
        const LyricLine& line = document.line(static_cast<int>(index - headerCount));
        lrcLineOf(line.tag, line.text, scratch);
        return QStringView(scratch);
    };
    return writeTextLines(path, headerCount + lineCount, lineAt, TextEncoding::Utf8);
}

}  // namespace lyricue
