// Resident memory of the real window after loading a 32,766-line lyrics file (the
// most the sheet takes) through "歌詞読込", over the real engine, which reads the file
// for its own display too. Prints the resident size before and after the load and the
// peak. Target: under 80 MB after the load.
#include "audio/playback_engine.h"
#include "text/ansi_text.h"
#include "shell/command_keys.h"
#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "base/prompts.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstdio>

namespace lyricue {

namespace {

constexpr int kLines = 32766;

// Picks the one lyrics file it is given in the open dialog.
class FilePrompts : public Prompts {
public:
    explicit FilePrompts(QString file) : m_file(std::move(file)) {}
    void showMessage(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
    int askYesNoCancel(const QString&) override { return AnswerCancel; }
    int askYesNo(const QString&) override { return AnswerNo; }
    bool showOpenDialog(FileDialogSettings& settings) override
    {
        settings.fileName = m_file;
        return true;
    }
    bool showSaveDialog(FileDialogSettings&) override { return false; }

private:
    QString m_file;
};

// "VmRSS" or "VmHWM" of /proc/self/status, in MB.
double statusMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').front().toDouble() / 1024.0;
    return -1;
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Writes the lyrics file: [mm:ss:xx] tags 1.5 s apart and Japanese text, in CP932.
bool writeLyrics(const QString& path)
{
    QByteArray bytes;
    for (int line = 0; line < kLines; ++line) {
        const int centis = line * 150;
        const QString text = QString::asprintf("[%02d:%02d:%02d]", centis / 6000, centis / 100 % 60, centis % 100)
            + QStringLiteral("%1 行目 夜空に浮かぶ星のように lyric line").arg(line + 1);
        bytes += encodeCp932(text).bytes + "\r\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

// memory_bench: makes the file in a child run of itself ("--make FILE"), so that
// the memory of making it is not counted, then measures.
int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--make") == 0) {
        QCoreApplication app(argc, argv);
        return writeLyrics(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString lyrics = dir.filePath(QStringLiteral("long.txt"));
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--make"), lyrics}) != 0) {
        std::fprintf(stderr, "memory_bench: cannot write %s\n", qPrintable(lyrics));
        return 1;
    }
    std::printf("lyrics file: %d lines, %.2f MB of CP932\n", kLines, QFileInfo(lyrics).size() / 1048576.0);

    PlaybackEngine engine;
    FilePrompts prompts(lyrics);
    MainWindow window(engine, prompts);
    window.show();
    runEventsFor(500);
    const double before = statusMb("VmRSS:");

    window.findChild<QToolBar*>(QStringLiteral("Toolbar1"))->findChild<QToolButton*>(CommandKey::LoadLyrics)->click();
    runEventsFor(500);
    auto* sheet = window.findChild<LyricsSheet*>(QStringLiteral("FlxGrid"));
    if (sheet->rows() != kLines + 1) {
        std::fprintf(stderr, "memory_bench: the sheet has %d rows\n", sheet->rows());
        return 1;
    }
    // Scrolled to the end, as a user checking the last lines would.
    sheet->scrollToBottom();
    runEventsFor(300);
    const double after = statusMb("VmRSS:");
    const double peak = statusMb("VmHWM:");
    std::printf("resident, window shown          %6.1f MB\n", before);
    std::printf("resident, %d lines loaded    %6.1f MB   (target < 80 MB: %s)\n", kLines, after,
                after < 80 ? "met" : "MISSED");
    std::printf("peak resident                   %6.1f MB\n", peak);
    window.close();
    return 0;
}

