#pragma once

#include "base/prompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace lyricue {

// Prompts test double: answers from queues, records what was shown, never blocks.
// A prompt with nothing queued for it fails the test and is answered as cancelled;
// scripted answers still unused when the double is destroyed fail the test too.
class ScriptedPrompts : public Prompts {
public:
    ~ScriptedPrompts() override;

    // --- the script ---
    void queueAnswer(int answer) { m_answers.push_back(answer); }  // a PromptAnswer
    void queueOpenAccept(const QString& path) { m_openResults.push_back(path); }
    void queueOpenCancel() { m_openResults.push_back(std::nullopt); }
    void queueSaveAccept(const QString& path) { m_saveResults.push_back(path); }
    void queueSaveCancel() { m_saveResults.push_back(std::nullopt); }
    // Forgets the queued answers that were not used.
    void clearScript();

    // --- what was shown ---
    const QStringList& messages() const { return m_messages; }
    const QStringList& questions() const { return m_questions; }
    // Dialog settings as they were when each dialog was shown.
    const std::vector<FileDialogSettings>& openDialogs() const { return m_openDialogs; }
    const std::vector<FileDialogSettings>& saveDialogs() const { return m_saveDialogs; }
    // Everything in order: "message: <text>", "question: <text>", "open", "save".
    const QStringList& shown() const { return m_shown; }
    void clearShown();

    // --- Prompts ---
    void showMessage(const QString& text) override;
    int askYesNoCancel(const QString& text) override;
    int askYesNo(const QString& text) override;  // from the same queue as askYesNoCancel
    bool showOpenDialog(FileDialogSettings& settings) override;
    bool showSaveDialog(FileDialogSettings& settings) override;

private:
    using DialogResult = std::optional<QString>;  // the chosen path, or a cancel
    bool answerDialog(std::deque<DialogResult>& results, FileDialogSettings& settings, const char* kind);

    std::deque<int> m_answers;
    std::deque<DialogResult> m_openResults;
    std::deque<DialogResult> m_saveResults;
    QStringList m_messages;
    QStringList m_questions;
    std::vector<FileDialogSettings> m_openDialogs;
    std::vector<FileDialogSettings> m_saveDialogs;
    QStringList m_shown;
};

}  // namespace lyricue
