#include "main_window.h"

#include "audio_engine.h"
#include "prompts.h"

MainWindow::MainWindow(AudioEngine& engine, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_engine(engine), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Lyricue"));
    setFixedSize(499, 488);
}
