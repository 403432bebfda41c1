#pragma once

#include <QMainWindow>

class AudioEngine;
class Prompts;

// The program's one working window.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AudioEngine& engine, Prompts& prompts, QWidget* parent = nullptr);

private:
    AudioEngine& m_engine;
    Prompts& m_prompts;
};
