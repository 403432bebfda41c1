#include "audio/playback_engine.h"
#include "app/command_line.h"
#include "shell/control_fonts.h"
#include "shell/main_window.h"
#include "base/freed_memory.h"
#include "shell/qt_prompts.h"
#include "shell/recovery_folder.h"
#include "shell/termination_signals.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace lyricue {

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

}  // namespace

}  // namespace lyricue

using namespace lyricue;

int main(int argc, char* argv[])
{
    const CommandLineRequest request = readCommandLine(argumentsOf(argc, argv));
    if (!request.startWindow) {
        std::fputs(qPrintable(request.standardOutput), stdout);
        std::fputs(qPrintable(request.standardError), stderr);
        return request.exitCode;
    }

    keepFreedMemoryForReuse();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lyricue"));
    QApplication::setApplicationVersion(QStringLiteral(LYRICUE_VERSION_TEXT));

    // The user interface is Japanese: the standard buttons of message boxes and
    // dialogs say はい / いいえ / キャンセル whatever the system locale.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // Message boxes and dialogs in the Japanese face of the window, at the size of
    // Japanese Windows' dialog font.
    QApplication::setFont(gothicFont(9));

    PlaybackEngine engine;
    QtPrompts prompts;
    MainWindow window(engine, prompts);
    window.setCuePlayer(&engine);
    prompts.setParentWidget(&window);
    window.keepRecoveryCopies(RecoveryFolder::standardPath());
    runBeforeTerminationSignals([&window] { window.finishRecovery(); });
    window.show();
    // Once the window is up, so that its questions and messages stand over it.
    QTimer::singleShot(0, &window, [&window, &request] {
        window.offerRecovery();
        if (!request.trackPath.isEmpty())
            window.openGivenFile(request.trackPath);
    });
    return QApplication::exec();
}

