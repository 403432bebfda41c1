#pragma once

#include "base/prompts.h"

#include <QPointer>
#include <QWidget>

namespace lyricue {

// The real prompts: QMessageBox for messages and the question, QFileDialog for files.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr);

    // The window the boxes are modal to; may be set after construction.
    void setParentWidget(QWidget* parent);

    void showMessage(const QString& text) override;
    int askYesNoCancel(const QString& text) override;
    int askYesNo(const QString& text) override;
    // Both dialogs match patterns without regard to case and, when confirmed, also
    // leave the chosen filter entry in settings.filterIndex, as the dialog object
    // keeps it between uses.
    bool showOpenDialog(FileDialogSettings& settings) override;
    bool showSaveDialog(FileDialogSettings& settings) override;

private:
    bool showFileDialog(FileDialogSettings& settings, bool save);

    QPointer<QWidget> m_parent;
};

}  // namespace lyricue
