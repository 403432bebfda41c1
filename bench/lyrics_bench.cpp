// Measures loading a 32,766-line CP932 lyrics file into the sheet (LoadLyrics) and
// writing it back (WriteLyricsFile), and importing the same lyrics as a UTF-8 LRC
// file (ImportLrc) and exporting them (WriteLrcFile), each beside the same bytes
// converted by one bulk iconv call in this process. Target: each under 3 times its
// iconv figure, and each LRC road under 2 times the same road for the lyrics text file.
//
// The load is measured over an engine that does nothing, since the real engine reads
// the lyrics file again for its own display; that reading is printed on its own line.
// The save replaces the file safely (a new file, synced to disk, renamed over the old
// one); the time QSaveFile alone takes to write the same bytes so is printed beside it.
#include "bench_timing.h"
#include "audio/playback_engine.h"
#include "lyricsfile/lrc_file.h"
#include "shell/lrc_commands.h"
#include "shell/lyrics_loader.h"
#include "lyricsfile/lyrics_file.h"
#include "shell/lyrics_saver.h"
#include "quiet_engine.h"
#include "sheet/lyrics_sheet.h"
#include "base/freed_memory.h"
#include "sheet/sheet_shaping.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace lyricue {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 32766;
constexpr int kRuns = 31;

// Answers Yes to the load question, chooses openPath in the open dialog and shows nothing.
class YesPrompts : public Prompts {
public:
    void showMessage(const QString& text) override { m_messages.append(text); }
    int askYesNoCancel(const QString&) override { return AnswerYes; }
    int askYesNo(const QString&) override { return AnswerYes; }
    bool showOpenDialog(FileDialogSettings& settings) override
    {
        settings.fileName = openPath;
        return true;
    }
    bool showSaveDialog(FileDialogSettings&) override { return false; }
    const QStringList& messages() const { return m_messages; }
    QString openPath;

private:
    QStringList m_messages;
};

using bench_timing::median;
using bench_timing::timeMs;

struct Pair {
    double ms;
    double baselineMs;
};

// Medians of `work` and `baseline`, run in turns so that both meet the same machine load.
Pair medianPair(const std::function<void()>& work, const std::function<void()>& baseline)
{
    std::vector<double> times;
    std::vector<double> baselineTimes;
    for (int run = 0; run < kRuns; ++run) {
        baselineTimes.push_back(timeMs(baseline));
        times.push_back(timeMs(work));
    }
    return {median(times), median(baselineTimes)};
}

double medianMs(const std::function<void()>& work)
{
    return bench_timing::medianMs(work, kRuns);
}

// One bulk conversion of all of `in`; the number of bytes written, or -1.
qsizetype iconvBulk(iconv_t cd, const QByteArray& in, QByteArray& out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inBuffer = const_cast<char*>(in.constData());
    std::size_t inLeft = static_cast<std::size_t>(in.size());
    char* outBuffer = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    if (iconv(cd, &inBuffer, &inLeft, &outBuffer, &outLeft) == static_cast<std::size_t>(-1))
        return -1;
    return out.size() - static_cast<qsizetype>(outLeft);
}

// Lyric lines as they are timed: a tag, Japanese text, now and then ASCII and an
// empty line. The tags as the sheet writes them ([mm:ss:xx]) or as LRC ([mm:ss.xx]).
QString lyricsText(char fractionSeparator)
{
    const char16_t* const texts[] = {u"夜明けの空に 君の声が響く", u"Oh yeah 走り出せ", u"",
                                     u"忘れないで この街の灯り", u"ラララ 明日へ"};
    QString text;
    for (int line = 0; line < kLines; ++line) {
        const int centis = line * 317;
        text += QString::asprintf("[%02d:%02d%c%02d]", centis / 6000, centis / 100 % 60, fractionSeparator,
                                  centis % 100);
        text += QStringView(texts[line % 5]);
        text += QStringLiteral("\r\n");
    }
    return text;
}

// The text's UTF-16 code units as bytes, in the machine's order, to hand to iconv.
QByteArray utf16Bytes(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QByteArray lyricsFileBytes(iconv_t toCp932)
{
    const QByteArray utf16 = utf16Bytes(lyricsText(':'));
    QByteArray bytes(utf16.size(), '\0');
    bytes.truncate(iconvBulk(toCp932, utf16, bytes));
    return bytes;
}

void report(const char* what, Pair pair)
{
    const double ms = pair.ms;
    const double baselineMs = pair.baselineMs;
    const double ratio = ms / baselineMs;
    std::printf("%-34s %8.2f ms   iconv alone %6.2f ms   ratio %5.2f  (target < 3: %s)\n", what, ms,
                baselineMs, ratio, ratio < 3 ? "met" : "MISSED");
}

// An LRC road beside the same road for the lyrics text file, measured in the same run.
void reportBeside(const char* what, double ms, double plainMs)
{
    const double ratio = ms / plainMs;
    std::printf("  beside %s (%.2f ms): ratio %5.2f  (target < 2: %s)\n", what, plainMs, ratio,
                ratio < 2 ? "met" : "MISSED");
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    keepFreedMemoryForReuse();  // as the program does at start-up
    QApplication app(argc, argv);

    const iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
    const iconv_t toCp932 = iconv_open("CP932", "UTF-16LE");
    const iconv_t utf8ToUtf16 = iconv_open("UTF-16LE", "UTF-8");
    const iconv_t utf16ToUtf8 = iconv_open("UTF-8", "UTF-16LE");
    QTemporaryDir dir;
    const iconv_t none = reinterpret_cast<iconv_t>(-1);
    if (toUtf16 == none || toCp932 == none || utf8ToUtf16 == none || utf16ToUtf8 == none || !dir.isValid()) {
        std::fprintf(stderr, "no CP932 in iconv, or no temporary folder\n");
        return 1;
    }
    const QByteArray bytes = lyricsFileBytes(toCp932);
    const QString lyricsPath = dir.filePath(QStringLiteral("song.txt"));
    QFile file(lyricsPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(lyricsPath));
        return 1;
    }
    file.close();

    // Baselines: the file's bytes to UTF-16 and back.
    QByteArray utf16(bytes.size() * 2, '\0');
    utf16.truncate(iconvBulk(toUtf16, bytes, utf16));
    QByteArray decoded(bytes.size() * 2, '\0');
    QByteArray encoded(utf16.size(), '\0');
    const auto decodeBaseline = [&] { iconvBulk(toUtf16, bytes, decoded); };
    const auto encodeBaseline = [&] { iconvBulk(toCp932, utf16, encoded); };

    QuietEngine engine;
    YesPrompts prompts;
    LyricsSheet sheet;
    LyricsDocument& document = sheet.document();
    FileDialogSettings dialog;
    LyricsFiles files{engine, prompts, document, dialog, QString()};
    sheet.resize(7455 / 15, 4155 / 15);
    shapeSheetAtStartUp(sheet);
    sheet.show();
    const QString musicPath = dir.filePath(QStringLiteral("song.mp3"));

    const Pair load = medianPair(
        [&] {
            files.SelectedPath = musicPath;
            LoadLyrics(files);
        },
        decodeBaseline);
    if (document.LineCount() != kLines || !prompts.messages().isEmpty()) {
        std::fprintf(stderr, "load went wrong: %d lines, %lld messages\n", document.LineCount(),
                     static_cast<long long>(prompts.messages().size()));
        return 1;
    }
    PlaybackEngine realEngine(PlaybackEngine::Output::Manual);
    const double engineMs = medianMs([&] { realEngine.vbmp3_setLyricsFile(lyricsPath); });

    Result written;
    const Pair save = medianPair([&] { written = WriteLyricsFile(document, document.LyricsPath()); }, encodeBaseline);
    if (!written.ok()) {
        std::fprintf(stderr, "save went wrong: %s\n", qPrintable(written.errorString()));
        return 1;
    }
    QFile saved(lyricsPath);
    if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != bytes) {
        std::fprintf(stderr, "the saved file differs from the loaded one\n");
        return 1;
    }

    const double safeWriteMs = medianMs([&] {
        QSaveFile target(lyricsPath);
        if (target.open(QIODevice::WriteOnly))
            target.write(bytes);
        target.commit();
    });

    // The same lyrics as a UTF-8 LRC file, imported and exported again.
    const QString lrcText = lyricsText('.');
    const QByteArray lrcBytes = lrcText.toUtf8();
    const QString lrcPath = dir.filePath(QStringLiteral("song.lrc"));
    QFile lrcFile(lrcPath);
    if (!lrcFile.open(QIODevice::WriteOnly) || lrcFile.write(lrcBytes) != lrcBytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(lrcPath));
        return 1;
    }
    lrcFile.close();
    const QByteArray lrcUtf16 = utf16Bytes(lrcText);
    QByteArray lrcDecoded(lrcUtf16.size() + 16, '\0');
    QByteArray lrcEncoded(lrcBytes.size() + 16, '\0');
    FileDialogSettings lrcDialog;
    prompts.openPath = lrcPath;
    const Pair lrcImport = medianPair([&] { ImportLrc(files, lrcDialog); },
                                      [&] { iconvBulk(utf8ToUtf16, lrcBytes, lrcDecoded); });
    if (document.LineCount() != kLines || !prompts.messages().isEmpty()) {
        std::fprintf(stderr, "LRC import went wrong: %d lines, %lld messages\n", document.LineCount(),
                     static_cast<long long>(prompts.messages().size()));
        return 1;
    }
    const QString exportPath = dir.filePath(QStringLiteral("export.lrc"));
    const Pair lrcExport = medianPair([&] { written = WriteLrcFile(exportPath, document.lrcHeaders(), document); },
                                      [&] { iconvBulk(utf16ToUtf8, lrcUtf16, lrcEncoded); });
    QFile exported(exportPath);
    if (!written.ok() || !exported.open(QIODevice::ReadOnly) || exported.readAll() != lrcBytes) {
        std::fprintf(stderr, "the exported LRC file differs from the imported one\n");
        return 1;
    }

    std::printf("%d lines, %lld bytes of CP932, in %s, median of %d runs\n", kLines,
                static_cast<long long>(bytes.size()), qPrintable(dir.path()), kRuns);
    report("LoadLyrics (file to sheet)", load);
    std::printf("  (the real engine reading the same file for its display: %.2f ms more)\n", engineMs);
    report("WriteLyricsFile (sheet to file)", save);
    std::printf("  of which the safe write of the bytes (QSaveFile alone): about %.2f ms;"
                " the rest is %.2f times iconv\n",
                safeWriteMs, (save.ms - safeWriteMs) / save.baselineMs);
    std::printf("The same lines as LRC, %lld bytes of UTF-8:\n", static_cast<long long>(lrcBytes.size()));
    report("ImportLrc (file to sheet)", lrcImport);
    reportBeside("the plain-text load", lrcImport.ms, load.ms);
    report("WriteLrcFile (sheet to file)", lrcExport);
    reportBeside("the plain-text save", lrcExport.ms, save.ms);
    iconv_close(toUtf16);
    iconv_close(toCp932);
    iconv_close(utf8ToUtf16);
    iconv_close(utf16ToUtf8);
    return 0;
}

