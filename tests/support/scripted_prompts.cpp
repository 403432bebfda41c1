#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

namespace lyricue {

ScriptedPrompts::~ScriptedPrompts()
{
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) never asked for";
    EXPECT_TRUE(m_openResults.empty()) << m_openResults.size() << " scripted open dialog(s) never shown";
    EXPECT_TRUE(m_saveResults.empty()) << m_saveResults.size() << " scripted save dialog(s) never shown";
}

void ScriptedPrompts::clearScript()
{
    m_answers.clear();
    m_openResults.clear();
    m_saveResults.clear();
}

void ScriptedPrompts::clearShown()
{
    m_messages.clear();
    m_questions.clear();
    m_openDialogs.clear();
    m_saveDialogs.clear();
    m_shown.clear();
}

void ScriptedPrompts::showMessage(const QString& text)
{
    m_messages.append(text);
    m_shown.append(QStringLiteral("message: ") + text);
}

int ScriptedPrompts::askYesNoCancel(const QString& text)
{
    m_questions.append(text);
    m_shown.append(QStringLiteral("question: ") + text);
    if (m_answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text.toStdString();
        return AnswerCancel;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

int ScriptedPrompts::askYesNo(const QString& text)
{
    const int answer = askYesNoCancel(text);
    EXPECT_TRUE(answer == AnswerYes || answer == AnswerNo) << "a Yes/No question answered " << answer;
    return answer == AnswerYes ? AnswerYes : AnswerNo;
}

bool ScriptedPrompts::showOpenDialog(FileDialogSettings& settings)
{
    m_openDialogs.push_back(settings);
    m_shown.append(QStringLiteral("open"));
    return answerDialog(m_openResults, settings, "open");
}

bool ScriptedPrompts::showSaveDialog(FileDialogSettings& settings)
{
    m_saveDialogs.push_back(settings);
    m_shown.append(QStringLiteral("save"));
    return answerDialog(m_saveResults, settings, "save");
}

bool ScriptedPrompts::answerDialog(std::deque<DialogResult>& results, FileDialogSettings& settings,
                                   const char* kind)
{
    if (results.empty()) {
        ADD_FAILURE() << "unscripted " << kind << " dialog (file name " << settings.fileName.toStdString()
                      << ")";
        return false;
    }
    const DialogResult result = results.front();
    results.pop_front();
    if (!result)
        return false;
    settings.fileName = *result;
    return true;
}

}  // namespace lyricue
