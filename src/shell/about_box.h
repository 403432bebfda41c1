#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

class QLabel;

namespace lyricue {

class AudioEngine;

// The engine version text: the engine's version times 100 divided by 100, in the
// general number form of single precision ("1.5", "1.23", "2", "0.05", "-1.5").
QString engineVersionText(std::int32_t versionTimes100);

// The application version text, "Ver. " + major.minor.revision of this build.
QString applicationVersionText();

// frmAbout: the modal box with the program icon, the program and engine versions
// and the rights notice. Built afresh for each showing, so the engine is asked anew.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(AudioEngine& engine, QWidget* parent = nullptr);

private:
    void Form_Load();
    void cmdOK_Click();

    AudioEngine& m_engine;
    QLabel* m_lblTitle;
    QLabel* m_lblVersion;
    QLabel* m_vbmpVer;
};

}  // namespace lyricue
