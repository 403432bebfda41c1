#include "audio/mp3_engine.h"
#include "main_window.h"
#include "qt_prompts.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lyricue"));
    Mp3Engine engine;
    QtPrompts prompts;
    MainWindow window(engine, prompts);
    prompts.setParentWidget(&window);
    window.show();
    return app.exec();
}
