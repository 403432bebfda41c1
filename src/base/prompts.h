#pragma once

#include <QString>

namespace lyricue {

// Settings of the one file dialog object. They persist between uses: each caller
// sets what it needs and the rest keeps the value of the last use.
struct FileDialogSettings {
    // Filter list as "Shown text|patterns|Shown text|patterns", patterns separated by ';'.
    QString filter;
    int filterIndex = 1;  // preselected filter entry, counted from 1
    QString fileName;     // proposed name before showing; the chosen full path after
    int flags = 0;        // FileMustExist for open, OverwritePrompt for save
    bool cancelError = false;

    static constexpr int OverwritePrompt = 2;
    static constexpr int FileMustExist = 4096;
};

// Answer codes of the Yes/No/Cancel question.
enum PromptAnswer : int { AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

// Everything that asks or tells the user something in a modal box.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A message with an OK button only, no icon, the application title as caption.
    virtual void showMessage(const QString& text) = 0;
    // The Yes/No/Cancel question, Yes being the default; returns a PromptAnswer.
    virtual int askYesNoCancel(const QString& text) = 0;
    // A Yes/No question before something that cannot be undone, No being the
    // default; returns AnswerYes or AnswerNo (also for a box closed otherwise).
    virtual int askYesNo(const QString& text) = 0;
    // Modal open / save dialogs. True when confirmed (settings.fileName then holds
    // the chosen full path); false on cancel or any failure of the dialog.
    virtual bool showOpenDialog(FileDialogSettings& settings) = 0;
    virtual bool showSaveDialog(FileDialogSettings& settings) = 0;
};

}  // namespace lyricue
