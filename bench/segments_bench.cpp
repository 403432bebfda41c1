// Measures lyrics timed word by word: 32,766 lines of 20 segments each (a time tag
// before every segment), loaded into the sheet (LoadLyrics), written back
// (WriteLyricsFile), read by the engine for the five-line display and exported as
// enhanced LRC, each beside the same road for plain lines. Two plain files: the same
// lyrics without the inner tags, and plain lines as long as the timed ones (the same
// bytes, no segments), so that the cost of the segments shows apart from the file's size.
// Target: each road under 2 times its plain figure of the same size.
//
// Then the time a stamp takes, from the click until the window has handled everything
// it set off, timing lines against timing segments, in two windows stamped in turns.
#include "audio/playback_engine.h"
#include "bench_timing.h"
#include "lyricsfile/lrc_file.h"
#include "lyricsfile/lyrics_file.h"
#include "quiet_engine.h"
#include "sheet/lyrics_sheet.h"
#include "sheet/sheet_shaping.h"
#include "shell/lyrics_loader.h"
#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace lyricue {

namespace {

constexpr int kLines = 32766;
constexpr int kSegments = 20;
constexpr int kRuns = 15;

using bench_timing::median;
using bench_timing::quantile;
using bench_timing::timeMs;

class YesPrompts : public Prompts {
public:
    void showMessage(const QString& text) override
    {
        if (text != QStringLiteral("error"))
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    int askYesNoCancel(const QString&) override { return AnswerYes; }
    int askYesNo(const QString&) override { return AnswerYes; }
    bool showOpenDialog(FileDialogSettings&) override { return false; }
    bool showSaveDialog(FileDialogSettings&) override { return false; }
};

enum class Shape { Segments, SameLyrics, SameSize };

QString tagOf(int centis)
{
    return QString::asprintf("[%02d:%02d:%02d]", centis / 6000, centis / 100 % 60, centis % 100);
}

QByteArray fileBytes(Shape shape)
{
    const QString sung = QStringLiteral("夜明けの空に君の声が響く走り出せ明日へラ");
    QString text;
    for (int line = 0; line < kLines; ++line) {
        const int centis = line * 317;
        text += tagOf(centis);
        for (int segment = 0; segment < kSegments; ++segment) {
            if (segment > 0 && shape == Shape::Segments)
                text += tagOf(centis + segment * 15);
            else if (segment > 0 && shape == Shape::SameSize)
                text += QStringLiteral("aiueokakik");  // as many characters and bytes as a tag
            text += sung[segment];
        }
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

struct Roads {
    double load = 0;
    double save = 0;
    double engine = 0;
    double lrc = 0;
};

// The median of each road over one file, the files taken in turns by the caller.
class Measured {
public:
    Measured(const QString& path) : m_path(path), m_files{m_engine, m_prompts, m_sheet.document(), m_dialog, QString()}
    {
        m_sheet.resize(7455 / 15, 4155 / 15);
        shapeSheetAtStartUp(m_sheet);
        m_sheet.show();
    }

    void runOnce()
    {
        m_times[0].push_back(timeMs([&] {
            m_files.SelectedPath = m_path.chopped(4) + QStringLiteral(".mp3");
            LoadLyrics(m_files);
        }));
        m_times[1].push_back(timeMs([&] { m_written = WriteLyricsFile(m_sheet.document(), m_path); }));
        m_times[2].push_back(timeMs([&] { m_realEngine.vbmp3_setLyricsFile(m_path); }));
        m_times[3].push_back(
            timeMs([&] { m_written = WriteLrcFile(m_path + QStringLiteral(".lrc"), {}, m_sheet.document()); }));
    }

    bool loaded() const { return m_sheet.document().LineCount() == kLines && m_written.ok(); }
    Roads medians() const { return {median(m_times[0]), median(m_times[1]), median(m_times[2]), median(m_times[3])}; }

private:
    QString m_path;
    QuietEngine m_engine;
    YesPrompts m_prompts;
    LyricsSheet m_sheet;
    FileDialogSettings m_dialog;
    LyricsFiles m_files;
    PlaybackEngine m_realEngine{PlaybackEngine::Output::Manual};
    Result m_written;
    std::vector<double> m_times[4];
};

void printRoad(const char* what, double ms, double sameLyricsMs, double sameSizeMs)
{
    const double ratio = ms / sameSizeMs;
    std::printf("  %-28s %8.2f ms   same lyrics %8.2f ms (ratio %5.2f)   same size %8.2f ms (ratio %5.2f, target < 2: %s)\n",
                what, ms, sameLyricsMs, ms / sameLyricsMs, sameSizeMs, ratio, ratio < 2 ? "met" : "MISSED");
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    // The windows below write their stamping mode into the settings: never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    const int stamps = argc > 1 ? std::atoi(argv[1]) : 400;

    std::vector<std::unique_ptr<Measured>> files;
    for (const Shape shape : {Shape::Segments, Shape::SameLyrics, Shape::SameSize}) {
        const QString path = dir.filePath(QStringLiteral("song%1.txt").arg(static_cast<int>(shape)));
        QFile file(path);
        const QByteArray bytes = fileBytes(shape);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s: %lld bytes\n", qPrintable(path), static_cast<long long>(bytes.size()));
        files.push_back(std::make_unique<Measured>(path));
    }
    for (int run = 0; run < kRuns; ++run) {
        for (auto& measured : files)
            measured->runOnce();
    }
    for (const auto& measured : files) {
        if (!measured->loaded()) {
            std::fprintf(stderr, "a load or save went wrong\n");
            return 1;
        }
    }
    const Roads timed = files[0]->medians();
    const Roads lyrics = files[1]->medians();
    const Roads size = files[2]->medians();
    std::printf("%d lines of %d segments, medians of %d runs in turns:\n", kLines, kSegments, kRuns);
    printRoad("load into the sheet", timed.load, lyrics.load, size.load);
    printRoad("save", timed.save, lyrics.save, size.save);
    printRoad("engine's read for the display", timed.engine, lyrics.engine, size.engine);
    printRoad("enhanced LRC export", timed.lrc, lyrics.lrc, size.lrc);

    // Stamps in turns: one window times lines, the other segments.
    QuietEngine engine;
    YesPrompts prompts;
    MainWindow lines(engine, prompts);
    MainWindow segments(engine, prompts);
    const QString lyricsPath = dir.filePath(QStringLiteral("song1.txt"));
    for (MainWindow* window : {&lines, &segments}) {
        window->show();
        window->openGivenFile(lyricsPath);
        QCoreApplication::processEvents();
    }
    segments.findChild<QAction*>(QStringLiteral("segment_timing"))->trigger();
    std::vector<double> lineTimes;
    std::vector<double> segmentTimes;
    const auto stampMs = [](MainWindow& window) {
        auto* button = window.findChild<QPushButton*>(QStringLiteral("Cmd_TimeIn"));
        return timeMs([button] {
            button->click();
            QCoreApplication::processEvents();
        });
    };
    for (int stamp = 0; stamp < stamps; ++stamp) {
        lineTimes.push_back(stampMs(lines));
        segmentTimes.push_back(stampMs(segments));
    }
    std::printf("%d stamps each, in turns:\n", stamps);
    for (const auto& [what, times] : {std::pair{"lines", &lineTimes}, std::pair{"segments", &segmentTimes}})
        std::printf("  timing %-9s median %6.3f ms   p95 %6.3f ms   p99 %6.3f ms\n", what, quantile(*times, 0.5),
                    quantile(*times, 0.95), quantile(*times, 0.99));
    const double ratio = quantile(segmentTimes, 0.5) / quantile(lineTimes, 0.5);
    std::printf("  ratio of medians %5.2f   of p95 %5.2f  (segments no slower than lines: %s)\n", ratio,
                quantile(segmentTimes, 0.95) / quantile(lineTimes, 0.95), ratio < 1.1 ? "met" : "MISSED");
    return 0;
}
